#include "devices/DeviceWork.h"

#include <algorithm>

#include "platform/DebugOutput.h"

namespace marlo::devices {

DeviceWork::~DeviceWork() {
    Stop();
}

void DeviceWork::SetDeliveryHandler(std::function<void()> handler) {
    std::lock_guard lock(lock_);
    deliver_ = std::move(handler);
}

bool DeviceWork::asynchronous() const {
    std::lock_guard lock(lock_);
    return static_cast<bool>(deliver_);
}

void DeviceWork::Post(Work work, Completion done, std::string_view kind) {
    if (!asynchronous()) {
        if (work) {
            work();
        }
        if (done) {
            done();
        }
        return;
    }
    {
        std::lock_guard lock(lock_);
        const auto same = std::find_if(queue_.begin(), queue_.end(), [kind](const Item& item) {
            return !kind.empty() && item.kind == kind;
        });
        if (same != queue_.end()) {
            if (done) {
                same->done.push_back(std::move(done));
            }
            return;
        }
        Item item{std::move(work), {}, std::string(kind)};
        if (done) {
            item.done.push_back(std::move(done));
        }
        queue_.push_back(std::move(item));
    }
    {
        std::lock_guard lock(threadLock_);
        if (!thread_.IsRunning()) {
            thread_.Start([this](platform::Event& stop) { Run(stop); }, "device work");
        }
    }
    wake_.Set();
}

void DeviceWork::Run(platform::Event& stop) {
    for (;;) {
        Item item;
        bool got = false;
        {
            std::lock_guard lock(lock_);
            if (!queue_.empty()) {
                item = std::move(queue_.front());
                queue_.pop_front();
                running_ = got = true;
            }
        }
        if (!got) {
            if (platform::WaitAny({&stop, &wake_}, platform::kInfinite) == 0u) {
                return;
            }
            continue;
        }
        if (item.work) {
            item.work();
        }
        std::function<void()> deliver;
        {
            std::lock_guard lock(lock_);
            running_ = false;
            if (!item.done.empty()) {
                for (Completion& completion : item.done) {
                    done_.push_back(std::move(completion));
                }
                deliver = deliver_;
            }
        }
        if (deliver) {
            deliver();
        }
        if (stop.Wait(0)) {
            return;
        }
    }
}

size_t DeviceWork::DeliverDone() {
    std::vector<Completion> done;
    {
        std::lock_guard lock(lock_);
        done.swap(done_);
    }
    for (Completion& completion : done) {
        completion();
    }
    return done.size();
}

void DeviceWork::Stop() {
    {
        std::lock_guard lock(lock_);
        queue_.clear();
    }
    {
        std::lock_guard lock(threadLock_);
        if (thread_.Stop(1000) == platform::WorkerThread::StopResult::kTimedOut) {
            platform::DebugOutput::Write("a device's work did not end within 1 s: waiting for it");
            thread_.WaitForEnd(platform::kInfinite);
        }
    }
    std::lock_guard lock(lock_);
    done_.clear();
    running_ = false;
}

bool DeviceWork::Paused(uint32_t ms) {
    return thread_.stopEvent().Wait(ms);
}

bool DeviceWork::busy() const {
    std::lock_guard lock(lock_);
    return running_ || !queue_.empty() || !done_.empty();
}

}  // namespace marlo::devices
