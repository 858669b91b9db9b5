#include "platform/MessageRegistry.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace marlo::platform {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, uint32_t, std::less<>> byName;
    std::vector<const std::string*> byNumber;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

uint32_t MessageRegistry::Register(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    if (const auto it = r.byName.find(name); it != r.byName.end()) {
        return it->second;
    }
    const uint32_t number = kFirst + static_cast<uint32_t>(r.byNumber.size());
    if (number > kLast) {
        return 0;
    }
    const auto [it, inserted] = r.byName.emplace(std::string(name), number);
    r.byNumber.push_back(&it->first);
    return number;
}

uint32_t MessageRegistry::Find(std::string_view name) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.byName.find(name);
    return it == r.byName.end() ? 0 : it->second;
}

std::string_view MessageRegistry::NameOf(uint32_t message) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    if (message < kFirst || message - kFirst >= r.byNumber.size()) {
        return {};
    }
    return *r.byNumber[message - kFirst];
}

}  // namespace marlo::platform
