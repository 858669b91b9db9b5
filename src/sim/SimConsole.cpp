#include "sim/SimConsole.h"

#include <json/writer.h>

#include <sstream>
#include <vector>

#include "hid/HidInterface.h"
#include "platform/NumberText.h"
#include "sim/ReceiverDevice.h"
#include "sim/SimCatalog.h"

namespace marlo::sim {
namespace {

std::vector<std::string> Words(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

}  // namespace

const char* SimConsole::Help() {
    return "commands: plug KIND [NAME], unplug NAME, event NAME CODE, "
           "fault NAME none|no-answer|wrong-code|status-ff|status-fe|late [COUNT], "
           "stall NAME MS, hold-lock NAME MS, "
           "link NAME on|off, key NAME USAGE [MODIFIERS], dump NAME, "
           "list, paths, quit\n";
}

std::string SimConsole::Execute(std::string_view line) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) {
        return "";
    }
    const std::string& op = w[0];
    if (op == "quit" && w.size() == 1) {
        quit_ = true;
        return "ok bye\n";
    }
    if (op == "help") {
        return Help();
    }
    if (op == "plug" && (w.size() == 2 || w.size() == 3)) {
        auto device = SimCatalog::Create(w[1]);
        if (!device) {
            return "error unknown kind " + w[1] + "\n";
        }
        const std::string name = w.size() == 3 ? w[2] : w[1];
        const auto node = server_.Plug(name, std::move(device));
        return node ? "ok plugged " + name + " " + *node + "\n"
                    : "error cannot plug " + name + " (name taken?)\n";
    }
    if (op == "unplug" && w.size() == 2) {
        return server_.Unplug(w[1]) ? "ok unplugged " + w[1] + "\n"
                                    : "error no device " + w[1] + "\n";
    }
    if (op == "event" && w.size() == 3) {
        const auto code = platform::NumberText::Parse<uint32_t>(w[2]);
        if (!code || *code > 0xFFFF) {
            return "error bad code " + w[2] + "\n";
        }
        return server_.InjectEvent(w[1], static_cast<uint16_t>(*code))
                   ? "ok event " + w[1] + " " + w[2] + "\n"
                   : "error no device with events named " + w[1] + "\n";
    }
    if (op == "key" && (w.size() == 3 || w.size() == 4)) {
        // A key pressed and let go on a keyboard interface: two boot keyboard reports.
        const auto usage = platform::NumberText::Parse<uint32_t>(w[2]);
        const auto modifiers = w.size() == 4 ? platform::NumberText::Parse<uint32_t>(w[3])
                                             : std::optional<uint32_t>(0);
        if (!usage || *usage > 0xFF || !modifiers || *modifiers > 0xFF) {
            return "error bad key " + w[2] + "\n";
        }
        const Report down = {static_cast<uint8_t>(*modifiers), 0,
                                        static_cast<uint8_t>(*usage), 0, 0, 0, 0, 0};
        const Report up(8, 0);
        return server_.SendInput(w[1], down) && server_.SendInput(w[1], up)
                   ? "ok key " + w[1] + " " + w[2] + "\n"
                   : "error no device " + w[1] + "\n";
    }
    if (op == "fault" && (w.size() == 3 || w.size() == 4)) {
        const auto fault = SimServer::ParseFault(w[2]);
        const auto count = w.size() == 4 ? platform::NumberText::Parse<uint32_t>(w[3])
                                         : std::optional<uint32_t>(0);
        if (!fault || !count) {
            return "error bad fault\n";
        }
        return server_.SetFault(w[1], *fault, *count) ? "ok fault " + w[1] + " " + w[2] + "\n"
                                                      : "error no device " + w[1] + "\n";
    }
    if ((op == "stall" || op == "hold-lock") && w.size() == 3) {
        // At most a minute: a fault, not a device gone for good.
        const auto ms = platform::NumberText::Parse<uint32_t>(w[2]);
        if (!ms || *ms > 60000) {
            return "error bad time " + w[2] + "\n";
        }
        const bool done = op == "stall" ? server_.Stall(w[1], *ms) : server_.HoldLock(w[1], *ms);
        return done ? "ok " + op + " " + w[1] + " " + w[2] + "\n"
                    : "error cannot " + op + " " + w[1] + "\n";
    }
    if (op == "link" && w.size() == 3 && (w[2] == "on" || w[2] == "off")) {
        bool isReceiver = false;
        server_.WithDevice(w[1], [&](SimDevice& device) {
            if (auto* receiver = dynamic_cast<ReceiverDevice*>(&device)) {
                receiver->SetLinked(w[2] == "on");
                isReceiver = true;
            }
        });
        return isReceiver ? "ok link " + w[1] + " " + w[2] + "\n"
                          : "error no receiver named " + w[1] + "\n";
    }
    if (op == "dump" && w.size() == 2) {
        const auto dump = server_.Dump(w[1]);
        if (!dump) {
            return "error no device " + w[1] + "\n";
        }
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "  ";
        return Json::writeString(builder, *dump) + "\n";
    }
    if (op == "list" && w.size() == 1) {
        std::string text;
        for (const std::string& name : server_.Names()) {
            text += name + " " + server_.NodeOf(name).value_or("?") + "\n";
        }
        return text + "ok\n";
    }
    if (op == "paths" && w.size() == 1) {
        hid::HidInterface lister;
        lister.SetRoot(server_.root());
        lister.Enumerate();
        std::string text;
        while (const auto path = lister.NextPath()) {
            text += *path + "\n";
        }
        return text + "ok\n";
    }
    return std::string("error unknown command; ") + Help();
}

}  // namespace marlo::sim
