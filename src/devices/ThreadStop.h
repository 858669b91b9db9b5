#pragma once

#include "platform/WorkerThread.h"

namespace marlo::devices {

// How a device stops one of its threads: signal its stop event, wait up to 1000 ms, and say
// how it went ("线程退出：：对象处于激发状态" when it ended). A thread still running then
// gets the time-out line and is waited for: it cannot be killed safely, and every wait of a
// device thread wakes on its stop event, so it ends soon after.
void StopDeviceThread(platform::WorkerThread& thread);

}  // namespace marlo::devices
