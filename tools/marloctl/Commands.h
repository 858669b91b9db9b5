#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "hid/SupportedDevices.h"

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
int HeadsetCommand(Args args);
int LanguageCommand(Args args);
int UpdateCommand(Args args);

// One discovery pass, as the program runs it: every slot of the supported-device table.
std::array<marlo::hid::SupportedDeviceRecord, marlo::hid::kSupportedDeviceCount> DiscoveryPass();

// The user's folders must be the user's own before a command may write there: false, with the
// reason on stderr, otherwise (nothing is made).
bool UserFoldersUsable();

// Reports a usage error on stderr and returns kUsageError.
int Usage(std::string_view message);

}  // namespace marloctl
