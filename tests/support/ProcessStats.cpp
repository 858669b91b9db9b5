#include "support/ProcessStats.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace marlo::test {

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = all.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    // Fields after the command's ")": the 3rd of the line is the first here; utime is the
    // 14th, stime the 15th.
    std::istringstream fields(all.substr(close + 2));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i) {
        if (i >= 14) {
            ticks += std::stoull(field);
        }
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace marlo::test
