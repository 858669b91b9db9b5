// marloctl update check: the program's update check, from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "hid/CommandChannel.h"
#include "hid/SupportedDevices.h"
#include "online/HttpClient.h"
#include "online/UpdateCheck.h"
#include "online/UpdateItem.h"
#include "online/UpdateService.h"
#include "platform/ProgramVersion.h"

namespace marloctl {
namespace {

using namespace marlo;

// The device list's first entries: mouse, keyboard, mouse pad, as the update items count them.
int EntryOf(uint16_t productCode) {
    switch (productCode) {
        case hid::kProductMouse:
        case hid::kProductMouseReceiver:
            return 0;
        case hid::kProductKeyboard:
        case hid::kProductKeyboardReceiver:
            return 1;
        case hid::kProductMousePad:
            return 2;
        default:
            return -1;
    }
}

bool ViaReceiver(uint16_t productCode) {
    return productCode == hid::kProductKeyboardReceiver ||
           productCode == hid::kProductMouseReceiver;
}

// The firmware version of each connected product, found and read as the program does.
std::vector<uint16_t> ConnectedVersions() {
    std::vector<uint16_t> versions(3, 0);
    for (const hid::SupportedDeviceRecord& slot : DiscoveryPass()) {
        const int entry = EntryOf(slot.productCode);
        if (slot.attached == 0 || slot.collectionRole != hid::kRoleCommand || entry < 0 ||
            versions[static_cast<size_t>(entry)] != 0) {
            continue;
        }
        hid::CommandChannel channel;
        if (!channel.OpenInterface(ViaReceiver(slot.productCode)
                                       ? hid::CommandChannel::Path::kReceiver
                                       : hid::CommandChannel::Path::kCable,
                                   slot.devicePath)) {
            continue;
        }
        channel.SetConnected(true);
        std::array<uint8_t, 32> info{};
        uint16_t version = 0;
        if (channel.ReadInfo(info, &version) == 1) {
            versions[static_cast<size_t>(entry)] = version;
        }
    }
    return versions;
}

}  // namespace

int UpdateCommand(Args args) {
    if (args.size() != 1 || args[0] != "check") {
        return Usage("update check");
    }
    const std::vector<uint16_t> versions = ConnectedVersions();
    const auto items =
        online::BuildUpdateItems(versions, online::ProgramVersionNumber(platform::ProgramVersion()));
    online::HttpClient client;
    client.SetPinnedKey(online::UpdateService::PinnedKey());
    online::UpdateCheck check(client, online::UpdateService::BaseAddress());
    const auto state = check.Run(
        items,
        [&items](size_t i, const online::UpdateResult& r) {
            std::printf("%s %s %s %d\n", items[i].ShownName().c_str(), r.localVersionText.c_str(),
                        r.remoteVersionText.empty() ? "-" : r.remoteVersionText.c_str(), r.status);
            std::fflush(stdout);
        },
        nullptr);
    std::printf("status %d\n", static_cast<int>(state));
    if (state == online::UpdateCheck::kUnreachable) {
        std::fprintf(stderr, "marloctl: the update service cannot be reached%s\n",
                     check.url().empty() ? " (none is configured)" : "");
        return kRefused;
    }
    return kOk;
}

}  // namespace marloctl
