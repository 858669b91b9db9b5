// The input hook on the headless display: which message a mode sends, with its record, and
// which keys it keeps from the rest of the program.
#include "hook/DeviceHook.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/MessageRegistry.h"
#include "ui/HeadlessBackend.h"

namespace marlo::hook {
namespace {

TEST(DeviceHookTest, AModeSendsItsMessageForEachKeyAndKeepsAllButTheLockKeys) {
    ui::HeadlessBackend backend;
    struct Received {
        uint32_t message;
        LowLevelKeyRecord record;
    };
    std::vector<Received> received;
    const platform::WindowHandle target =
        backend.loop().CreateWindow([&](uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (const std::any* payload = backend.loop().CurrentPayload()) {
                if (const auto* record = std::any_cast<LowLevelKeyRecord>(payload)) {
                    received.push_back({message, *record});
                }
            }
            return 0;
        });
    CDeviceHook hook;
    ASSERT_EQ(hook.Install(0, 0x4, target, true, true), 1);
    ASSERT_EQ(hook.Install(0, 0x4, target, true, true), 1) << "again: still one hook";
    EXPECT_TRUE(backend.HookKey({'A', true})) << "A is kept from the program";
    EXPECT_TRUE(backend.HookKey({'A', false}));
    EXPECT_FALSE(backend.HookKey({0x14, true})) << "Caps Lock goes on";
    ASSERT_EQ(received.size(), 3u);
    const uint32_t kbMacro = platform::MessageRegistry::Register("WM_HOOK_KEY_KBMACRO_MSG");
    EXPECT_EQ(received[0].message, kbMacro);
    EXPECT_EQ(received[0].record.message, CDeviceHook::kWmKeyDown);
    EXPECT_EQ(received[0].record.vkCode, uint32_t{'A'});
    EXPECT_EQ(received[1].record.message, CDeviceHook::kWmKeyUp);
    EXPECT_EQ(received[1].record.flags, 0x80u);

    // A mode of its own hook's that sends nothing still keeps the keys.
    ASSERT_EQ(hook.Install(0, 0x800, target, true, false), 1);
    EXPECT_TRUE(backend.HookKey({'B', true}));
    EXPECT_EQ(received.size(), 3u);
    EXPECT_STREQ(CDeviceHook::MessageOfMode(0x20), "WM_HOOK_KEY_KBMACROSINGLE_MSG");
    EXPECT_STREQ(CDeviceHook::MessageOfMode(0x8), "WM_HOOK_KEY_KBMACROPREVIOUS_MSG");

    hook.Uninstall();
    EXPECT_FALSE(backend.keyHooked());
    EXPECT_FALSE(backend.HookKey({'A', true})) << "without the hook every key goes on";
    backend.loop().DestroyWindow(target);
}

}  // namespace
}  // namespace marlo::hook
