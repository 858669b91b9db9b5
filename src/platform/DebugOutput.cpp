#include "platform/DebugOutput.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace marlo::platform {
namespace {

struct Sink {
    std::mutex mutex;
    bool toStderr = [] {
        const char* env = std::getenv("MARLO_DEBUG");
        return env != nullptr && std::strcmp(env, "1") == 0;
    }();
    std::vector<DebugOutput::Capture*> captures;
};

Sink& TheSink() {
    static Sink sink;
    return sink;
}

}  // namespace

void DebugOutput::Write(std::string_view line) {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    if (sink.toStderr) {
        std::string text(line);
        if (text.empty() || text.back() != '\n') {
            text.push_back('\n');
        }
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
    for (Capture* capture : sink.captures) {
        capture->Add(line);
    }
}

void DebugOutput::Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    Write(text);
}

void DebugOutput::SetStderrEnabled(bool enabled) {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    sink.toStderr = enabled;
}

bool DebugOutput::StderrEnabled() {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    return sink.toStderr;
}

bool DebugOutput::Active() {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    return sink.toStderr || !sink.captures.empty();
}

DebugOutput::Capture::Capture() {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    sink.captures.push_back(this);
}

DebugOutput::Capture::~Capture() {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    std::erase(sink.captures, this);
}

void DebugOutput::Capture::Add(std::string_view line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
}

std::vector<std::string> DebugOutput::Capture::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool DebugOutput::Capture::Contains(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

void DebugOutput::Capture::Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace marlo::platform
