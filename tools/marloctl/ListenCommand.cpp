// marloctl listen: a window of another program, as the running program sees one. It prints
// every message the program sends it, one line each, as it comes.
#include <signal.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "Commands.h"
#include "platform/MessageEndpoint.h"
#include "platform/NumberText.h"
#include "platform/OtherWindows.h"

namespace marloctl {
namespace {

constexpr const char* kListenUsage = "listen TITLE [--class CLASS] [--seconds S]";

// One line per request, whole even when several arrive at once.
std::string Line(const marlo::platform::EndpointRequest& request) {
    using Kind = marlo::platform::EndpointRequest::Kind;
    if (request.kind == Kind::kCopyData) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(request.data.data());
        return "copydata " + std::to_string(request.dataKind) + " " +
               marlo::platform::NumberText::ToHex(std::span(bytes, request.data.size())) + "\n";
    }
    // A number is shown in decimal, a registered message by its name.
    const auto number = marlo::platform::NumberText::Parse<uint32_t>(request.message);
    return "message " + (number ? std::to_string(*number) : request.message) + " " +
           std::to_string(request.wParam) + " " + std::to_string(request.lParam) + "\n";
}

}  // namespace

int ListenCommand(Args args) {
    if (args.empty()) {
        return Usage(kListenUsage);
    }
    const std::string title(args[0]);
    std::string className;
    std::optional<uint32_t> seconds;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--class" && i + 1 < args.size()) {
            className = std::string(args[++i]);
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            seconds = marlo::platform::NumberText::Parse<uint32_t>(args[++i]);
            if (!seconds) {
                return Usage(kListenUsage);
            }
        } else {
            return Usage(kListenUsage);
        }
    }
    const auto socket = marlo::platform::OtherWindows::SocketFor(title, className);
    if (!socket) {
        std::fprintf(stderr, "marloctl: no private runtime folder\n");
        return kRefused;
    }
    // Signals are taken by sigtimedwait below, on this thread only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::mutex output;
    marlo::platform::MessageEndpoint endpoint;
    if (!endpoint.Start(*socket, [&output](const marlo::platform::EndpointRequest& request) {
            const std::string line = Line(request);
            std::lock_guard lock(output);
            std::fputs(line.c_str(), stdout);
            std::fflush(stdout);
            return std::string();
        })) {
        std::fprintf(stderr, "marloctl: cannot listen at %s\n", socket->c_str());
        return kRefused;
    }
    if (!marlo::platform::OtherWindows::Describe(*socket, title, className)) {
        std::fprintf(stderr, "marloctl: cannot register the window\n");
        return kRefused;
    }
    timespec wait{seconds ? static_cast<time_t>(*seconds) : 0, 0};
    while (sigtimedwait(&stopSignals, nullptr, seconds ? &wait : nullptr) < 0 && errno == EINTR) {
    }
    marlo::platform::OtherWindows::Forget(*socket);
    endpoint.Stop();
    return kOk;
}

}  // namespace marloctl
