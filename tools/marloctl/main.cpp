// marloctl: the command-line face of the configurator's core, for people and for scripts.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/Paths.h"

namespace {

constexpr int kUsageError = 2;

void PrintUsage(FILE* out) {
    std::fputs(
        "usage: marloctl [--debug] COMMAND [ARGS]\n"
        "commands:\n"
        "  paths            print the folders the program uses\n",
        out);
}

int Paths() {
    using marlo::platform::Paths;
    std::printf("resources %s\n", Paths::ResourceDir().c_str());
    std::printf("data %s\n", Paths::ProductFolder().c_str());
    std::printf("config %s\n", Paths::ConfigFolder().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    while (!args.empty() && args.front().starts_with("--")) {
        if (args.front() == "--debug") {
            marlo::platform::DebugOutput::SetStderrEnabled(true);
        } else if (args.front() == "--help") {
            PrintUsage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "marloctl: unknown option %.*s\n",
                         static_cast<int>(args.front().size()), args.front().data());
            return kUsageError;
        }
        args.erase(args.begin());
    }
    if (args.empty()) {
        PrintUsage(stderr);
        return kUsageError;
    }
    if (args.front() == "paths") {
        return Paths();
    }
    std::fprintf(stderr, "marloctl: unknown command %.*s\n", static_cast<int>(args.front().size()),
                 args.front().data());
    PrintUsage(stderr);
    return kUsageError;
}
