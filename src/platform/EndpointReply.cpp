#include "platform/EndpointReply.h"

namespace marlo::platform {

EndpointReply::EndpointReply(std::shared_ptr<Event> wake)
    : state_(std::make_shared<State>()), wake_(std::move(wake)) {}

bool EndpointReply::Claim() const {
    int expected = kWaiting;
    return state_->phase.compare_exchange_strong(expected, kClaimed);
}

void EndpointReply::Give(std::string error) const {
    {
        std::lock_guard lock(state_->mutex);
        state_->answer = std::move(error);
    }
    if (wake_) {
        wake_->Set();
    }
}

void EndpointReply::Answer(std::string error) const {
    int expected = kClaimed;
    if (state_->phase.compare_exchange_strong(expected, kAnswered)) {
        Give(std::move(error));
    }
}

bool EndpointReply::Settle(std::string error) const {
    if (!Claim()) {
        return false;
    }
    Answer(std::move(error));
    return true;
}

bool EndpointReply::Withdraw(std::string error) const {
    int expected = kWaiting;
    if (!state_->phase.compare_exchange_strong(expected, kWithdrawn)) {
        return false;
    }
    Give(std::move(error));
    return true;
}

std::optional<std::string> EndpointReply::answer() const {
    std::lock_guard lock(state_->mutex);
    return state_->answer;
}

}  // namespace marlo::platform
