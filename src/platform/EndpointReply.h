#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Event.h"

namespace marlo::platform {

// The answer to one request of another program, given from any thread. Whoever delivers the
// request first claims it: the claim fails once the endpoint has withdrawn the request (it was
// not taken in time and has been answered so), and then nothing may be delivered. A claimed
// request is answered exactly once with "" (delivered) or the reason it was not.
//
// Copies share one answer; the endpoint keeps one and wakes when the answer is given.
class EndpointReply {
  public:
    // `wake` is set when the answer is given (the endpoint's, shared with every reply).
    explicit EndpointReply(std::shared_ptr<Event> wake);

    // True for the one who may deliver; false when withdrawn (or claimed before).
    bool Claim() const;
    // The answer of a claimed request ("" for delivered); a second answer is ignored.
    void Answer(std::string error) const;
    // Claims and answers at once (a request answered as soon as it came); false when it
    // was withdrawn or claimed before.
    bool Settle(std::string error) const;

    // The endpoint's side: withdraws the request unless it is claimed, answering it with
    // `error`; false when it was claimed (its answer comes, or came).
    bool Withdraw(std::string error) const;
    // The answer, once given.
    std::optional<std::string> answer() const;

  private:
    enum Phase : int { kWaiting, kClaimed, kAnswered, kWithdrawn };
    struct State {
        std::atomic<int> phase{kWaiting};
        mutable std::mutex mutex;
        std::optional<std::string> answer;
    };
    void Give(std::string error) const;

    std::shared_ptr<State> state_;
    std::shared_ptr<Event> wake_;
};

}  // namespace marlo::platform
