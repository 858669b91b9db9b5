#pragma once

#include <sys/types.h>

#include <map>
#include <string>

namespace marlo::test {

// What /proc says of a process: its resident memory in KiB (-1 when unknown), and the user
// and system time it has used, in seconds.
long ResidentKb(pid_t pid);
double CpuSeconds(pid_t pid);
// Each thread's context switches so far (voluntary and not: each is a wake-up of that thread),
// by "tid name".
std::map<std::string, unsigned long long> ThreadSwitches(pid_t pid);

}  // namespace marlo::test
