// The chip library's entry points: one session for the process, one call at a time.
#include "chip/ConfLib.h"

#include <cstring>
#include <mutex>
#include <string>

#include "chip/ChipSession.h"

namespace {

std::mutex& Guard() {
    static std::mutex mutex;
    return mutex;
}

marlo::chip::ChipSession& Session() {
    static marlo::chip::ChipSession session;
    return session;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int ConfLibSetPaths(const char* root,
                                                            const char* storeFolder) {
    std::lock_guard lock(Guard());
    Session().SetPaths(root != nullptr ? root : "/", storeFolder != nullptr ? storeFolder : "");
    return 0;
}

__attribute__((visibility("default"))) int ConfLibInit(void) {
    std::lock_guard lock(Guard());
    return Session().Init();
}

__attribute__((visibility("default"))) void ConfLibUnInit(void) {
    std::lock_guard lock(Guard());
    Session().Clear();
}

__attribute__((visibility("default"))) void CreateDeviceList(void) {
    std::lock_guard lock(Guard());
    Session().CreateDeviceList();
}

__attribute__((visibility("default"))) int GetDeviceCount(int flow, int* count) {
    if (count == nullptr) {
        return -1;
    }
    std::lock_guard lock(Guard());
    *count = Session().DeviceCount(flow);
    return 0;
}

__attribute__((visibility("default"))) int GetDeviceById(int index, ConfDevice* device) {
    if (device == nullptr) {
        return -1;
    }
    std::lock_guard lock(Guard());
    const auto found = Session().DeviceAt(index);
    if (!found) {
        return -1;
    }
    *device = *found;
    return 0;
}

__attribute__((visibility("default"))) int PropertyControl(ConfDevice device, const char* name,
                                                           char* data, size_t dataSize,
                                                           int channel, int set) {
    if (name == nullptr || data == nullptr || dataSize == 0) {
        return -1;
    }
    std::string text = set != 0 ? std::string(data, strnlen(data, dataSize)) : std::string();
    std::lock_guard lock(Guard());
    const int result = Session().Property(device, name, text, channel, set != 0);
    if (result == 0 && set == 0) {
        if (text.size() >= dataSize) {
            return -1;  // the answer does not fit the caller's buffer
        }
        std::memcpy(data, text.c_str(), text.size() + 1);
    }
    return result;
}

__attribute__((visibility("default"))) int RegisterCallbackFunction(void (*)(int, void*),
                                                                    void*) {
    return 0;
}

__attribute__((visibility("default"))) int ShowAsioPanel(void) { return -1; }
__attribute__((visibility("default"))) int PlayTestSound(ConfDevice) { return -1; }
__attribute__((visibility("default"))) int StopTestSound(ConfDevice) { return -1; }
__attribute__((visibility("default"))) int CloseTestSound(ConfDevice) { return 0; }
}
