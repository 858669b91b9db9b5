#include "devices/ThreadStop.h"

#include "platform/DebugOutput.h"

namespace marlo::devices {

void StopDeviceThread(platform::WorkerThread& thread) {
    using Result = platform::WorkerThread::StopResult;
    switch (thread.Stop(1000)) {
        case Result::kEnded:
            platform::DebugOutput::Write("线程退出：：对象处于激发状态\n");
            return;
        case Result::kTimedOut:
            platform::DebugOutput::Write("线程退出：：对象处于非激发状态，超时\n");
            thread.WaitForEnd(platform::kInfinite);
            return;
        case Result::kNotRunning:
            return;
    }
}

}  // namespace marlo::devices
