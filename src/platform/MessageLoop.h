#pragma once

#include <any>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/Event.h"

namespace marlo::platform {

// A window handle: a small integer naming a window of one message loop. 0 is no window.
using WindowHandle = uint32_t;
using MessageHandler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

// The UI thread's message loop: the thread that creates the loop is its UI thread. Windows
// registered with it receive messages there, in order. A send from another thread waits until
// the UI thread has handled the message (or the sender's cancel event fires); a send from the
// UI thread calls the handler at once; a post never waits.
//
// wParam and lParam carry numbers only. A message that carries data carries it as an owned
// payload (PostPayload, SendPayload), which the handler reads with CurrentPayload while it runs;
// a payload still queued when the loop ends is simply destroyed with its item.
class MessageLoop {
  public:
    MessageLoop();
    // Answers every send still waiting with 0.
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    WindowHandle CreateWindow(MessageHandler handler);
    void DestroyWindow(WindowHandle window);
    bool IsWindow(WindowHandle window) const;

    // The handler's result, or 0 when the window does not exist, the loop ended or `cancel`
    // was signalled before the handler started. Once the handler has started, the send waits
    // for it to finish even when `cancel` fires, and returns its result: a message is either
    // handled and answered, or never handled.
    intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                         Event* cancel = nullptr);
    bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    // A message with an owned payload (wParam and lParam 0).
    bool PostPayload(WindowHandle window, uint32_t message, std::any payload);
    intptr_t SendPayload(WindowHandle window, uint32_t message, std::any payload);
    // The payload of the message being handled (UI thread, inside a handler); nothing for a
    // message without one.
    const std::any* CurrentPayload() const { return currentPayload_; }

    // Runs `fn` on the UI thread and returns its result, unless the UI thread has not started
    // it within `timeoutMs`: it is then withdrawn and never runs, and the result is nothing.
    // Must not be called on the UI thread.
    std::optional<intptr_t> CallWithin(std::function<intptr_t()> fn, uint32_t timeoutMs);
    // Runs `fn` on the UI thread, without waiting.
    void Post(std::function<void()> fn);

    // Timers run on the UI thread while the loop runs (Run, RunFor, RunUntil, ProcessPending).
    // A timer that is killed from its own callback does not fire again. Returns the timer's
    // id (never 0).
    uint32_t SetTimer(uint32_t intervalMs, std::function<void()> callback, bool repeat = true);
    void KillTimer(uint32_t id);

    // Handles messages until Quit; returns the exit code given to Quit.
    int Run();
    // Handles messages until `done` is true or Quit (a nested loop, as a modal window runs).
    void RunUntil(const std::function<bool()>& done);
    // Handles what is queued and waits up to `timeoutMs` for more; returns on Quit too.
    void RunFor(uint32_t timeoutMs);
    // Handles what is queued now.
    void ProcessPending();
    // For a loop that runs inside another event loop (the display backend's): takes the wake
    // signal, handles what is queued and the due timers, and returns the milliseconds until
    // the next timer (kInfinite: none). Call it whenever fd() is readable or that time passed.
    uint32_t Pump();
    void Quit(int exitCode = 0);
    bool quitting() const;

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }
    // Readable while work is queued: lets another loop (the display backend's) wait on it.
    int fd() const { return wake_.fd(); }

  private:
    struct Pending;
    struct Item {
        WindowHandle window = 0;
        uint32_t message = 0;
        uintptr_t wParam = 0;
        intptr_t lParam = 0;
        std::function<void()> call;
        std::shared_ptr<Pending> reply;  // set for sends
        std::any payload;
    };

    intptr_t Dispatch(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                      const std::any* payload = nullptr);
    // Queues a send from another thread and waits for its answer (see SendMessage).
    intptr_t SendQueued(Item item, Event* cancel);
    void Handle(Item& item);
    void AnswerAllPending();
    // Runs the timers that are due; the milliseconds until the next one (kInfinite: none).
    uint32_t RunDueTimers();

    struct Timer {
        uint32_t intervalMs;
        uint64_t dueMs;
        bool repeat;
        std::function<void()> callback;
    };

    const std::thread::id uiThread_;
    mutable std::mutex mutex_;
    std::deque<Item> queue_;
    std::map<WindowHandle, std::shared_ptr<MessageHandler>> windows_;
    WindowHandle nextWindow_ = 1;
    bool quit_ = false;
    int exitCode_ = 0;
    Event wake_{Event::Reset::kAuto};
    // UI thread only.
    const std::any* currentPayload_ = nullptr;
    std::map<uint32_t, Timer> timers_;
    uint32_t nextTimer_ = 1;
};

}  // namespace marlo::platform
