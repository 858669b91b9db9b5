#include "platform/MessageLoop.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace marlo::platform {

// A send's answer. Whether the handler runs is decided once, by whichever side gets there
// first: the UI thread starting it, or the sender giving up on it.
struct MessageLoop::Pending {
    enum State : int { kQueued, kStarted, kAbandoned };

    bool TryStart() { return Move(kStarted); }
    bool TryAbandon() { return Move(kAbandoned); }

    Event done{Event::Reset::kManual};
    std::atomic<intptr_t> result{0};

  private:
    bool Move(State to) {
        int expected = kQueued;
        return state.compare_exchange_strong(expected, to);
    }
    std::atomic<int> state{kQueued};
};

MessageLoop::MessageLoop() : uiThread_(std::this_thread::get_id()) {}

MessageLoop::~MessageLoop() {
    AnswerAllPending();
}

void MessageLoop::AnswerAllPending() {
    std::deque<Item> left;
    {
        std::lock_guard lock(mutex_);
        left.swap(queue_);
    }
    for (Item& item : left) {
        if (item.reply) {
            item.reply->done.Set();
        }
    }
}

WindowHandle MessageLoop::CreateWindow(MessageHandler handler) {
    std::lock_guard lock(mutex_);
    const WindowHandle handle = nextWindow_++;
    windows_[handle] = std::make_shared<MessageHandler>(std::move(handler));
    return handle;
}

void MessageLoop::DestroyWindow(WindowHandle window) {
    std::lock_guard lock(mutex_);
    windows_.erase(window);
}

bool MessageLoop::IsWindow(WindowHandle window) const {
    std::lock_guard lock(mutex_);
    return windows_.contains(window);
}

intptr_t MessageLoop::Dispatch(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam, const std::any* payload) {
    std::shared_ptr<MessageHandler> handler;
    {
        std::lock_guard lock(mutex_);
        const auto it = windows_.find(window);
        if (it == windows_.end()) {
            return 0;
        }
        handler = it->second;  // the window may be destroyed by its own handler
    }
    // Nested dispatches (a modal loop inside a handler) see their own payload.
    const std::any* outer = currentPayload_;
    currentPayload_ = payload;
    const intptr_t result = (*handler)(message, wParam, lParam);
    currentPayload_ = outer;
    return result;
}

intptr_t MessageLoop::SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam, Event* cancel) {
    if (OnUiThread()) {
        return Dispatch(window, message, wParam, lParam);
    }
    return SendQueued(Item{window, message, wParam, lParam, nullptr, nullptr, {}}, cancel);
}

intptr_t MessageLoop::SendPayload(WindowHandle window, uint32_t message, std::any payload) {
    if (OnUiThread()) {
        return Dispatch(window, message, 0, 0, &payload);
    }
    return SendQueued(Item{window, message, 0, 0, nullptr, nullptr, std::move(payload)}, nullptr);
}

intptr_t MessageLoop::SendQueued(Item item, Event* cancel) {
    auto reply = std::make_shared<Pending>();
    item.reply = reply;
    {
        std::lock_guard lock(mutex_);
        if (quit_ || !windows_.contains(item.window)) {
            return 0;
        }
        queue_.push_back(std::move(item));
    }
    wake_.Set();
    if (cancel != nullptr) {
        if (WaitAny({&reply->done, cancel}, kInfinite) != 0u && reply->TryAbandon()) {
            return 0;  // withdrawn before the handler started: it never will
        }
    }
    reply->done.Wait(kInfinite);
    return reply->result;
}

std::optional<intptr_t> MessageLoop::CallWithin(std::function<intptr_t()> fn, uint32_t timeoutMs) {
    auto reply = std::make_shared<Pending>();
    {
        std::lock_guard lock(mutex_);
        if (quit_) {
            return std::nullopt;
        }
        queue_.push_back(Item{0,
                              0,
                              0,
                              0,
                              [reply, fn = std::move(fn)] {
                                  if (reply->TryStart()) {
                                      reply->result = fn();
                                      reply->done.Set();
                                  }
                              },
                              nullptr,
                              {}});
    }
    wake_.Set();
    if (!reply->done.Wait(timeoutMs) && reply->TryAbandon()) {
        return std::nullopt;
    }
    // Started in time (or the loop ended: then it was never started and done stays unset).
    if (!reply->done.Wait(kInfinite)) {
        return std::nullopt;
    }
    return reply->result.load();
}

bool MessageLoop::PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        if (!windows_.contains(window)) {
            return false;
        }
        queue_.push_back(Item{window, message, wParam, lParam, nullptr, nullptr, {}});
    }
    wake_.Set();
    return true;
}

bool MessageLoop::PostPayload(WindowHandle window, uint32_t message, std::any payload) {
    {
        std::lock_guard lock(mutex_);
        if (!windows_.contains(window)) {
            return false;
        }
        queue_.push_back(Item{window, message, 0, 0, nullptr, nullptr, std::move(payload)});
    }
    wake_.Set();
    return true;
}

void MessageLoop::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Item{0, 0, 0, 0, std::move(fn), nullptr, {}});
    }
    wake_.Set();
}

void MessageLoop::Handle(Item& item) {
    if (item.call) {
        item.call();
        return;
    }
    if (item.reply && !item.reply->TryStart()) {
        return;  // the sender gave up before it started
    }
    const intptr_t result = Dispatch(item.window, item.message, item.wParam, item.lParam,
                                     item.payload.has_value() ? &item.payload : nullptr);
    if (item.reply) {
        item.reply->result = result;
        item.reply->done.Set();
    }
}

void MessageLoop::ProcessPending() {
    for (;;) {
        Item item;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty() || quit_) {
                return;
            }
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        Handle(item);
    }
}

uint32_t MessageLoop::SetTimer(uint32_t intervalMs, std::function<void()> callback, bool repeat) {
    const uint32_t id = nextTimer_++;
    timers_[id] = Timer{intervalMs, MonotonicMs() + intervalMs, repeat, std::move(callback)};
    return id;
}

void MessageLoop::KillTimer(uint32_t id) {
    timers_.erase(id);
}

uint32_t MessageLoop::RunDueTimers() {
    const uint64_t now = MonotonicMs();
    std::vector<uint32_t> due;
    for (const auto& [id, timer] : timers_) {
        if (timer.dueMs <= now) {
            due.push_back(id);
        }
    }
    for (const uint32_t id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end()) {
            continue;  // killed by an earlier callback
        }
        if (it->second.repeat) {
            // On a grid of the period: timers of one period fire in the same wake-up.
            const uint64_t period = std::max<uint32_t>(it->second.intervalMs, 1);
            it->second.dueMs = (now / period + 1) * period;
        }
        const std::function<void()> callback = it->second.callback;
        if (!it->second.repeat) {
            timers_.erase(it);
        }
        callback();
    }
    uint64_t next = UINT64_MAX;
    for (const auto& [id, timer] : timers_) {
        next = std::min(next, timer.dueMs);
    }
    if (next == UINT64_MAX) {
        return kInfinite;
    }
    const uint64_t after = MonotonicMs();
    return next <= after ? 0 : static_cast<uint32_t>(std::min<uint64_t>(next - after, 0x7FFFFFFF));
}

uint32_t MessageLoop::Pump() {
    wake_.TryConsume();
    ProcessPending();
    return RunDueTimers();
}

void MessageLoop::RunUntil(const std::function<bool()>& done) {
    for (;;) {
        ProcessPending();
        const uint32_t untilTimer = RunDueTimers();
        if (done() || quitting()) {
            return;
        }
        wake_.Wait(untilTimer);
    }
}

int MessageLoop::Run() {
    for (;;) {
        ProcessPending();
        const uint32_t untilTimer = RunDueTimers();
        {
            std::lock_guard lock(mutex_);
            if (quit_) {
                break;
            }
        }
        wake_.Wait(untilTimer);
    }
    AnswerAllPending();
    std::lock_guard lock(mutex_);
    return exitCode_;
}

void MessageLoop::RunFor(uint32_t timeoutMs) {
    const uint64_t start = MonotonicMs();
    for (;;) {
        ProcessPending();
        const uint32_t untilTimer = RunDueTimers();
        const uint32_t left = RemainingMs(timeoutMs, start);
        if (left == 0 || quitting()) {
            return;
        }
        wake_.Wait(std::min(left, untilTimer));
    }
}

void MessageLoop::Quit(int exitCode) {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        exitCode_ = exitCode;
    }
    wake_.Set();
}

bool MessageLoop::quitting() const {
    std::lock_guard lock(mutex_);
    return quit_;
}

}  // namespace marlo::platform
