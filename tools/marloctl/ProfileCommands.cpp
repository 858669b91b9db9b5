// marloctl profile and marloctl macro: a device's profiles and macros in the user's folder.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "platform/Paths.h"
#include "profiles/MacroList.h"
#include "profiles/NameRules.h"
#include "profiles/ProfileList.h"

namespace marloctl {
namespace {

using marlo::profiles::ListResult;

// The device models and the kind of page each has.
std::optional<int> PageKindOf(std::string_view model) {
    if (model == "keyboard")
        return 1;
    if (model == "mouse")
        return 2;
    if (model == "MousePad")
        return 3;
    if (model == "HD")
        return 7;
    return std::nullopt;
}

std::optional<int> Index(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

// What loading found (a list made again, a file kept aside), on stderr.
void Notice(const std::string& notice) {
    if (!notice.empty()) {
        std::fprintf(stderr, "marloctl: %s", notice.c_str());
    }
}

std::string Printable(std::string_view text) {
    return marlo::profiles::NameRules::Printable(text);
}

int Report(ListResult result) {
    if (result == ListResult::kDone) {
        return kOk;
    }
    std::fprintf(stderr, "marloctl: refused: %s\n", marlo::profiles::Describe(result));
    return kRefused;
}

constexpr const char* kProfileUsage =
    "profile --device keyboard|mouse|MousePad|HD list|new|copy|rename NAME|delete|select INDEX|"
    "reset|import FILE|export FILE";
constexpr const char* kMacroUsage =
    "macro --device keyboard|mouse|MousePad|HD list|new|rename ROW NAME|delete ROW|"
    "export ROW FILE|import FILE|show ROW";

}  // namespace

int ProfileCommand(Args args) {
    if (args.size() < 3 || args[0] != "--device" || !PageKindOf(args[1])) {
        return Usage(kProfileUsage);
    }
    if (!UserFoldersUsable()) {
        return kRefused;
    }
    const std::string model(args[1]);
    const std::string_view op = args[2];
    const Args rest = args.subspan(3);
    using marlo::platform::Paths;
    marlo::profiles::ProfileList list(Paths::UserDataFolder(model),
                                      Paths::DefaultDataDir() / (model + ".Json"),
                                      *PageKindOf(model));
    list.Load();
    Notice(list.notice());
    if (op == "list" && rest.empty()) {
        const std::vector<std::string> uuids = list.Uuids();  // the list is read once
        for (size_t i = 0; i < list.names().size(); ++i) {
            std::printf("%zu %c %s %s\n", i, static_cast<int>(i) == list.selected() ? '*' : '-',
                        Printable(list.names()[i]).c_str(), Printable(uuids[i]).c_str());
        }
        return kOk;
    }
    if (op == "new" && rest.empty())
        return Report(list.NewProfile());
    if (op == "copy" && rest.empty())
        return Report(list.CopyProfile());
    if (op == "delete" && rest.empty())
        return Report(list.DeleteProfile());
    if (op == "reset" && rest.empty())
        return Report(list.ResetProfile());
    if (op == "rename" && rest.size() == 1)
        return Report(list.RenameProfile(std::string(rest[0])));
    if (op == "import" && rest.size() == 1)
        return Report(list.ImportProfile(std::string(rest[0])));
    if (op == "export" && rest.size() == 1)
        return Report(list.ExportProfile(std::string(rest[0])));
    if (op == "select" && rest.size() == 1) {
        const auto index = Index(rest[0]);
        return index ? Report(list.SelectProfile(*index)) : Usage(kProfileUsage);
    }
    return Usage(kProfileUsage);
}

int MacroCommand(Args args) {
    if (args.size() < 3 || args[0] != "--device" || !PageKindOf(args[1])) {
        return Usage(kMacroUsage);
    }
    if (!UserFoldersUsable()) {
        return kRefused;
    }
    const std::string model(args[1]);
    const std::string_view op = args[2];
    const Args rest = args.subspan(3);
    marlo::profiles::MacroList macros(marlo::platform::Paths::UserDataFolder(model));
    macros.LoadMacroList();
    Notice(macros.notice());
    const std::optional<int> rowArg = rest.empty() ? std::nullopt : Index(rest[0]);
    const int row = rowArg.value_or(-1);
    if (op == "list" && rest.empty()) {
        for (size_t i = 0; i < macros.rows().size(); ++i) {
            std::printf("%zu %s %s\n", i, Printable(macros.rows()[i].name).c_str(),
                        Printable(macros.rows()[i].guid).c_str());
        }
        return kOk;
    }
    if (op == "new" && rest.empty())
        return Report(macros.NewMacro());
    if (op == "import" && rest.size() == 1)
        return Report(macros.ImportMacro(std::string(rest[0])));
    if (!rowArg) {
        return Usage(kMacroUsage);
    }
    if (op == "rename" && rest.size() == 2)
        return Report(macros.RenameMacro(row, std::string(rest[1])));
    if (op == "delete" && rest.size() == 1)
        return Report(macros.DeleteMacro(row));
    if (op == "export" && rest.size() == 2) {
        return Report(macros.ExportMacro(row, std::string(rest[1])));
    }
    if (op == "show" && rest.size() == 1) {
        if (row >= static_cast<int>(macros.rows().size())) {
            return Report(ListResult::kNoSelection);
        }
        for (const auto& event : macros.LoadMacro(row)) {
            const auto record = marlo::profiles::EventToDeviceRecord(event);
            std::printf("%s %d %d %s %02x%02x%02x%02x\n", event.action.c_str(), event.type,
                        event.button, event.delay.c_str(), record[0], record[1], record[2],
                        record[3]);
        }
        return kOk;
    }
    return Usage(kMacroUsage);
}

}  // namespace marloctl
