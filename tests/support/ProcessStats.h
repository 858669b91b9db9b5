#pragma once

#include <sys/types.h>

namespace marlo::test {

// What /proc says of a process: its resident memory in KiB (-1 when unknown), and the user
// and system time it has used, in seconds.
long ResidentKb(pid_t pid);
double CpuSeconds(pid_t pid);

}  // namespace marlo::test
