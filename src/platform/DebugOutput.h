#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace marlo::platform {

// The process-wide sink for free-text debug lines (UTF-8). Lines go to stderr when the
// environment has MARLO_DEBUG=1 or a program enabled it (--debug), and to every live capture.
class DebugOutput {
  public:
    static void Write(std::string_view line);
    static void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void SetStderrEnabled(bool enabled);
    static bool StderrEnabled();
    // True when a line written now would go anywhere (lets hot paths skip formatting).
    static bool Active();

    // Collects every line written while it lives (tests).
    class Capture {
      public:
        Capture();
        ~Capture();
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;

        std::vector<std::string> Lines() const;
        bool Contains(std::string_view text) const;
        void Clear();

      private:
        friend class DebugOutput;
        void Add(std::string_view line);
        mutable std::mutex mutex_;
        std::vector<std::string> lines_;
    };
};

}  // namespace marlo::platform
