// marloctl post and marloctl copydata: messages to the running program's windows.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "platform/AtomicFile.h"
#include "platform/MessageEndpoint.h"
#include "platform/NumberText.h"

namespace marloctl {
namespace {

template <typename T>
bool Parse(std::string_view text, T& value) {
    const auto parsed = marlo::platform::NumberText::Parse<T>(text);
    value = parsed.value_or(T{});
    return parsed.has_value();
}

int Deliver(const marlo::platform::EndpointRequest& request) {
    const auto path = marlo::platform::MessageEndpoint::DefaultPath();
    const std::string error = path ? marlo::platform::MessageEndpoint::Send(*path, request)
                                   : std::string("no private runtime folder");
    if (!error.empty()) {
        std::fprintf(stderr, "marloctl: %s\n", error.c_str());
        return kRefused;
    }
    return kOk;
}

// Takes "--window TITLE" off the end of the arguments.
bool TakeWindow(Args& args, std::string& window) {
    if (args.size() >= 2 && args[args.size() - 2] == "--window") {
        window = std::string(args.back());
        args = args.first(args.size() - 2);
    }
    return true;
}

}  // namespace

int PostCommand(Args args) {
    marlo::platform::EndpointRequest request;
    TakeWindow(args, request.window);
    if (args.size() != 3 || !Parse(args[1], request.wParam) || !Parse(args[2], request.lParam)) {
        return Usage("post NAME WPARAM LPARAM [--window TITLE]");
    }
    request.kind = marlo::platform::EndpointRequest::Kind::kPost;
    request.message = std::string(args[0]);
    if (request.message.find('\n') != std::string::npos ||
        request.window.find('\n') != std::string::npos) {
        return Usage("a message or window name holds no line end");
    }
    return Deliver(request);
}

int CopyDataCommand(Args args) {
    marlo::platform::EndpointRequest request;
    TakeWindow(args, request.window);
    if (args.size() != 2 || !Parse(args[0], request.dataKind)) {
        return Usage("copydata KIND FILE [--window TITLE]");
    }
    const auto data = marlo::platform::ReadWholeFile(std::string(args[1]),
                                                     marlo::platform::MessageEndpoint::kMaxData);
    if (!data) {
        std::fprintf(stderr, "marloctl: cannot read %.*s (or it is over 1 MiB)\n",
                     static_cast<int>(args[1].size()), args[1].data());
        return kRefused;
    }
    request.kind = marlo::platform::EndpointRequest::Kind::kCopyData;
    request.data = *data;
    return Deliver(request);
}

}  // namespace marloctl
