#include "sim/ReceiverDevice.h"

#include "hid/CommandReport.h"
#include "sim/Descriptors.h"
#include "sim/SimCatalog.h"

namespace marlo::sim {

ReceiverDevice::ReceiverDevice()
    : CommandDevice(
          SimDeviceInfo{"receiver", SimCatalog::kKeyboardVendor, SimCatalog::kReceiverProduct,
                        0x0100, 1, "Marlo Gear Receiver", Descriptors::KeyboardInterface1()},
          true) {}

Report ReceiverDevice::Answer(Request request) {
    if (request[3] == hid::kCmdLinkCheck) {
        Report answer = AnswerFor(request, 0);
        answer[8] = linked_ ? 0xFF : 0x00;
        return answer;
    }
    if (!linked_) {
        Report answer = AnswerFor(request, 0);
        answer[3] = hid::kCmdLinkCheck;  // the keyboard could not be reached
        return answer;
    }
    return model_.Answer(request);
}

void ReceiverDevice::DumpState(Json::Value& dump) const {
    dump["linked"] = linked_;
    model_.Dump(dump);
}

}  // namespace marlo::sim
