#include "support/ProcessStats.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

std::map<std::string, unsigned long long> ThreadSwitches(pid_t pid) {
    std::map<std::string, unsigned long long> switches;
    std::error_code ec;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        std::ifstream status(task.path() / "status");
        std::string name;
        unsigned long long count = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("Name:", 0) == 0) {
                name = line.substr(line.find_first_not_of(" \t", 5));
            } else if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                       line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                count += std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
            }
        }
        switches[task.path().filename().string() + " " + name] = count;
    }
    return switches;
}

}  // namespace marlo::test
