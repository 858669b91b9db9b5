#pragma once

#include <optional>
#include <string>

namespace marlo::test {

// Sets (or with nothing, unsets) an environment variable and restores it on destruction.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace marlo::test
