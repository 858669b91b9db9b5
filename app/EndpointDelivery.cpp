#include "EndpointDelivery.h"

#include <chrono>
#include <future>
#include <memory>

#include "platform/MessageRegistry.h"
#include "platform/NumberText.h"
#include "ui/UIDefs.h"
#include "ui/WindowWnd.h"

namespace marlo::app {
namespace {

// A message named by a number ("0xC15", "3093") or by a registered name.
uint32_t MessageNumber(const std::string& name) {
    if (const auto number = platform::NumberText::Parse<uint32_t>(name)) {
        return *number;
    }
    return platform::MessageRegistry::Register(name);
}

}  // namespace

std::string DeliverToWindow(platform::MessageLoop& loop, const platform::EndpointRequest& request) {
    auto result = std::make_shared<std::promise<std::string>>();
    std::future<std::string> done = result->get_future();
    loop.Post([request, result] {
        const std::string target = request.window.empty() ? "MainWnd" : request.window;
        ui::CWindowWnd* window = ui::CWindowWnd::FindWindow(target);
        if (window == nullptr) {
            result->set_value("no window " + target);
            return;
        }
        if (request.kind == platform::EndpointRequest::Kind::kPost) {
            const uint32_t message = MessageNumber(request.message);
            result->set_value(message != 0 &&
                                      window->PostMessage(message, request.wParam, request.lParam)
                                  ? ""
                                  : "cannot post " + request.message);
            return;
        }
        const ui::CopyDataStruct block{request.dataKind, static_cast<uint32_t>(request.data.size()),
                                       request.data.data()};
        window->SendMessage(ui::kWmCopyData, 0, reinterpret_cast<intptr_t>(&block));
        result->set_value("");
    });
    if (done.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        return "the program did not answer";
    }
    return done.get();
}

}  // namespace marlo::app
