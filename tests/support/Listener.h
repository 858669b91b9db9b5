#pragma once

#include <sys/types.h>

#include <string>

namespace marlo::test {

// `marloctl listen TITLE` run as another program would: its window registered in the private
// runtime folder, its lines read as they come.
class Listener {
  public:
    // Starts it and waits (a few seconds at most) until its window is registered.
    Listener(const std::string& binDir, const std::string& title);
    // Ends it with SIGTERM (unless Stop did) and waits for it.
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool registered() const { return registered_; }
    // Reads until the output holds `count` lines or `timeoutMs` passed; all read so far.
    const std::string& ReadLines(size_t count, int timeoutMs);
    // SIGTERM and wait; its exit status (-1 when it did not exit normally).
    int Stop();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool registered_ = false;
    std::string lines_;
};

}  // namespace marlo::test
