// marloctl hid list: every interface path with what opening it tells.
#include <cstdio>

#include "Commands.h"
#include "hid/HidInterface.h"

namespace marloctl {

int HidCommand(Args args) {
    if (args.size() != 1 || args[0] != "list") {
        return Usage("hid list");
    }
    marlo::hid::HidInterface lister;
    if (!lister.Enumerate()) {
        std::fprintf(stderr, "marloctl: cannot list HID interfaces under %s\n",
                     lister.root().c_str());
        return kRefused;
    }
    marlo::hid::HidInterface probe;
    while (const auto path = lister.NextPath()) {
        if (!probe.Open(*path, false, false, true, false)) {
            std::printf("%s unopenable\n", path->c_str());
            continue;
        }
        const auto& a = probe.attributes();
        const auto& c = probe.capabilities();
        std::printf(
            "%s vid=%04x pid=%04x ver=%04x if=%u col=%u page=%04x usage=%04x in=%u out=%u "
            "feat=%u\n",
            path->c_str(), a.vendorId, a.productId, a.version, probe.interfaceNumber(),
            probe.collectionNumber(), c.usagePage, c.usage, c.inputReportLength,
            c.outputReportLength, c.featureReportLength);
        probe.Close();
    }
    return kOk;
}

}  // namespace marloctl
