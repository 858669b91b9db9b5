// marloctl: the command-line face of the configurator's core, for people and for scripts.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"

namespace marloctl {

int Usage(std::string_view message) {
    std::fprintf(stderr, "usage: marloctl [--debug] [--hid-root DIR] %.*s\n",
                 static_cast<int>(message.size()), message.data());
    return kUsageError;
}

namespace {

constexpr const char* kHelp =
    "usage: marloctl [--debug] [--hid-root DIR] COMMAND [ARGS]\n"
    "commands:\n"
    "  copydata KIND FILE [--window TITLE]\n"
    "                   a copy-data block to a window of the running program\n"
    "  devices          the supported devices present, one slot per line\n"
    "  hid list         every HID interface path and its identity\n"
    "  keyboard show|modes|assign POS CODE|default POS|apply|lighting [OPTIONS]|set NAME VALUE\n"
    "                   the first cable keyboard, driven as its page does\n"
    "  headset show|set NAME VALUE|eq save|delete|select NAME|lighting --color R,G,B [--level L]\n"
    "                   the first headset's audio settings and lights\n"
    "  language list|set ID\n"
    "                   the program's languages (INDEX ID NAME, * on the current one), or\n"
    "                   the one to show\n"
    "  listen TITLE [--class CLASS] [--seconds S]\n"
    "                   a window for the running program to send to; prints what it gets\n"
    "  macro --device MODEL list|new|rename ROW NAME|delete ROW|export ROW FILE|import FILE|show "
    "ROW\n"
    "                   a device's macros (MODEL: keyboard, mouse, MousePad, HD)\n"
    "  paths            the folders the program uses\n"
    "  post NAME WPARAM LPARAM [--window TITLE]\n"
    "                   a registered message to a window of the running program\n"
    "  profile --device MODEL list|new|copy|rename NAME|delete|select INDEX|reset|import "
    "FILE|export FILE\n"
    "                   a device's profiles\n"
    "  skin tree FILE   a skin layout built and printed as a tree\n"
    "  update check     asks the update service about the program and the connected devices\n"
    "                   (NAME LOCAL REMOTE STATUS per item, then status N)\n"
    "  raw PATH [--receiver] [--mode N] [--block-size N] OP [ARGS]\n"
    "                   one command-channel operation on an interface\n"
    "  watch [--seconds S]\n"
    "                   devices as they come and go, until S seconds passed or interrupted\n";

int PathsCommand() {
    using marlo::platform::Paths;
    std::printf("resources %s\n", Paths::ResourceDir().c_str());
    std::printf("data %s\n", Paths::ProductFolder().c_str());
    std::printf("config %s\n", Paths::ConfigFolder().c_str());
    return kOk;
}

// Commands that may write the user's files (profiles, lists, the registry): they check the
// folders' owner first.
bool MayWrite(std::string_view command, Args rest) {
    const std::string_view verb = rest.empty() ? std::string_view() : rest[0];
    return (command == "keyboard" && verb != "functions" && verb != "modes") ||
           command == "headset" || (command == "language" && verb == "set");
}

}  // namespace

bool UserFoldersUsable() {
    if (const auto problem = marlo::platform::Paths::CheckUserFolders()) {
        std::fprintf(stderr, "marloctl: %s\n", problem->c_str());
        return false;
    }
    return true;
}

}  // namespace marloctl

int main(int argc, char** argv) {
    using namespace marloctl;
    std::vector<std::string_view> args(argv + 1, argv + argc);
    size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--debug") {
            marlo::platform::DebugOutput::SetStderrEnabled(true);
        } else if (args[i] == "--hid-root" && i + 1 < args.size()) {
            marlo::hid::HidInterface::SetDefaultRoot(std::string(args[++i]));
        } else if (args[i] == "--help") {
            std::fputs(kHelp, stdout);
            return kOk;
        } else {
            std::fputs(kHelp, stderr);
            return kUsageError;
        }
    }
    if (i == args.size()) {
        std::fputs(kHelp, stderr);
        return kUsageError;
    }
    const std::string_view command = args[i];
    const Args rest(args.data() + i + 1, args.size() - i - 1);
    if (MayWrite(command, rest) && !UserFoldersUsable()) {
        return kRefused;
    }
    if (command == "hid") {
        return HidCommand(rest);
    }
    if (command == "watch") {
        return WatchCommand(rest);
    }
    if (command == "devices") {
        return DevicesCommand(rest);
    }
    if (command == "profile") {
        return ProfileCommand(rest);
    }
    if (command == "macro") {
        return MacroCommand(rest);
    }
    if (command == "listen") {
        return ListenCommand(rest);
    }
    if (command == "post") {
        return PostCommand(rest);
    }
    if (command == "copydata") {
        return CopyDataCommand(rest);
    }
    if (command == "skin") {
        return SkinCommand(rest);
    }
    if (command == "keyboard") {
        return KeyboardCommand(rest);
    }
    if (command == "headset") {
        return HeadsetCommand(rest);
    }
    if (command == "language") {
        return LanguageCommand(rest);
    }
    if (command == "update") {
        return UpdateCommand(rest);
    }
    if (command == "raw") {
        return RawCommand(rest);
    }
    if (command == "paths" && rest.empty()) {
        return PathsCommand();
    }
    std::fputs(kHelp, stderr);
    return kUsageError;
}
