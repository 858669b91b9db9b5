#pragma once

#include <span>
#include <string>
#include <string_view>

namespace marloctl {

// Exit statuses of every command.
inline constexpr int kOk = 0;
inline constexpr int kRefused = 1;
inline constexpr int kUsageError = 2;

using Args = std::span<const std::string_view>;

int HidCommand(Args args);
int RawCommand(Args args);
int WatchCommand(Args args);
int DevicesCommand(Args args);
int ProfileCommand(Args args);
int MacroCommand(Args args);
int SkinCommand(Args args);
int PostCommand(Args args);
int ListenCommand(Args args);
int CopyDataCommand(Args args);
int KeyboardCommand(Args args);
int LanguageCommand(Args args);
int UpdateCommand(Args args);

// Reports a usage error on stderr and returns kUsageError.
int Usage(std::string_view message);

}  // namespace marloctl
