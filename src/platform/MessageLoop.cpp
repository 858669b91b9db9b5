#include "platform/MessageLoop.h"

#include <atomic>

namespace marlo::platform {

struct MessageLoop::Pending {
    Event done{Event::Reset::kManual};
    std::atomic<intptr_t> result{0};
    // Set when the sender stopped waiting: the message is then not handled.
    std::atomic<bool> abandoned{false};
};

MessageLoop::MessageLoop() : uiThread_(std::this_thread::get_id()) {}

MessageLoop::~MessageLoop() { AnswerAllPending(); }

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
                               intptr_t lParam) {
    std::shared_ptr<MessageHandler> handler;
    {
        std::lock_guard lock(mutex_);
        const auto it = windows_.find(window);
        if (it == windows_.end()) {
            return 0;
        }
        handler = it->second;  // the window may be destroyed by its own handler
    }
    return (*handler)(message, wParam, lParam);
}

intptr_t MessageLoop::SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam, Event* cancel) {
    if (OnUiThread()) {
        return Dispatch(window, message, wParam, lParam);
    }
    auto reply = std::make_shared<Pending>();
    {
        std::lock_guard lock(mutex_);
        if (quit_ || !windows_.contains(window)) {
            return 0;
        }
        queue_.push_back(Item{window, message, wParam, lParam, nullptr, reply});
    }
    wake_.Set();
    if (cancel != nullptr) {
        if (WaitAny({&reply->done, cancel}, kInfinite) != 0u) {
            reply->abandoned = true;
            return 0;
        }
    } else {
        reply->done.Wait(kInfinite);
    }
    return reply->result;
}

bool MessageLoop::PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        if (!windows_.contains(window)) {
            return false;
        }
        queue_.push_back(Item{window, message, wParam, lParam, nullptr, nullptr});
    }
    wake_.Set();
    return true;
}

void MessageLoop::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Item{0, 0, 0, 0, std::move(fn), nullptr});
    }
    wake_.Set();
}

void MessageLoop::Handle(Item& item) {
    if (item.call) {
        item.call();
        return;
    }
    if (item.reply && item.reply->abandoned) {
        item.reply->done.Set();
        return;
    }
    const intptr_t result = Dispatch(item.window, item.message, item.wParam, item.lParam);
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

int MessageLoop::Run() {
    for (;;) {
        ProcessPending();
        {
            std::lock_guard lock(mutex_);
            if (quit_) {
                break;
            }
        }
        wake_.Wait(kInfinite);
    }
    AnswerAllPending();
    std::lock_guard lock(mutex_);
    return exitCode_;
}

void MessageLoop::RunFor(uint32_t timeoutMs) {
    const uint64_t start = MonotonicMs();
    for (;;) {
        ProcessPending();
        const uint32_t left = RemainingMs(timeoutMs, start);
        if (left == 0 || quitting()) {
            return;
        }
        wake_.Wait(left);
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
