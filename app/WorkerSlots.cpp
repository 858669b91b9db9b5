#include "WorkerSlots.h"

#include "platform/DebugOutput.h"

namespace marlo::app {

using platform::DebugOutput;

void WorkerSlots::Place(size_t slot, platform::WorkerThread* worker) {
    if (slot < kSlots) {
        slots_[slot] = worker;
    }
}

void WorkerSlots::StopAll() {
    for (platform::WorkerThread* worker : slots_) {
        if (worker != nullptr) {
            worker->SignalStop();
        }
    }
    for (size_t i = 0; i < kSlots; ++i) {
        platform::WorkerThread* worker = slots_[i];
        if (worker == nullptr || !worker->IsRunning()) {
            DebugOutput::Printf("错误\n%zu", i);
            continue;
        }
        using Result = platform::WorkerThread::StopResult;
        switch (worker->WaitForEnd(kStopWaitMs)) {
            case Result::kEnded:
                DebugOutput::Write("所有对象处于激发状态\n");
                break;
            case Result::kTimedOut:
                DebugOutput::Write("所有对象处于非激发状态，超时\n");
                worker->WaitForEnd(platform::kInfinite);
                break;
            case Result::kNotRunning:
                DebugOutput::Printf("错误\n%zu", i);
                break;
        }
    }
    slots_.fill(nullptr);
}

}  // namespace marlo::app
