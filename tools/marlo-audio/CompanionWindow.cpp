#include "CompanionWindow.h"

#include <algorithm>
#include <cstring>

#include "platform/OtherWindows.h"

namespace marlo_audio {

namespace {

constexpr uint32_t kColourBlock = 10;
constexpr size_t kColourBlockBytes = 40;
constexpr int kStyleMaximum = 9;  // a style's channels run 0-9

uint8_t Scaled(int32_t value) {
    return static_cast<uint8_t>(std::clamp(value, 0, kStyleMaximum) * 255 / kStyleMaximum);
}

}  // namespace

CompanionWindow::~CompanionWindow() {
    endpoint_.Stop();
    if (!socket_.empty()) {
        marlo::platform::OtherWindows::Forget(socket_);
    }
}

bool CompanionWindow::Open() {
    const auto socket = marlo::platform::OtherWindows::SocketFor(kTitle, kClass);
    if (!socket) {
        return false;
    }
    if (!endpoint_.Start(*socket, [this](const marlo::platform::EndpointRequest& request) {
            return Take(request);
        })) {
        return false;
    }
    socket_ = *socket;
    return marlo::platform::OtherWindows::Describe(*socket, kTitle, kClass);
}

std::optional<uint32_t> CompanionWindow::colour() const {
    if (!haveColour_) {
        return std::nullopt;
    }
    return colour_.load();
}

std::string CompanionWindow::Take(const marlo::platform::EndpointRequest& request) {
    using Kind = marlo::platform::EndpointRequest::Kind;
    if (request.kind == Kind::kCopyData) {
        if (request.dataKind != kColourBlock || request.data.size() < 12 ||
            request.data.size() > kColourBlockBytes) {
            return "not a colour block";
        }
        int32_t rgb[3] = {};
        std::memcpy(rgb, request.data.data(), sizeof rgb);
        colour_ = uint32_t{Scaled(rgb[0])} << 16 | uint32_t{Scaled(rgb[1])} << 8 | Scaled(rgb[2]);
        haveColour_ = true;
        return {};
    }
    if (request.message != kAudioColour) {
        return "not a message of this window";
    }
    // 2, 4 and 5 greet; 6, 7 and 8 bring red, green and blue (0-255) one at a time.
    if (request.wParam >= 6 && request.wParam <= 8) {
        const int shift = 16 - 8 * static_cast<int>(request.wParam - 6);
        const auto value = static_cast<uint32_t>(std::clamp<int64_t>(request.lParam, 0, 255));
        uint32_t c = colour_.load();
        while (!colour_.compare_exchange_weak(c, (c & ~(0xFFu << shift)) | value << shift)) {
        }
        haveColour_ = true;
    }
    return {};
}

}  // namespace marlo_audio
