// The keyboard's lighting: the lighting thread, the frame it shows, the colour stream and the
// selection mask, and the key presses the reactive modes light.
#include <algorithm>
#include <chrono>

#include "devices/KeyboardColourStream.h"
#include "devices/KeyboardDriver.h"
#include "platform/DebugOutput.h"

namespace marlo::devices {

using platform::DebugOutput;

namespace {

constexpr int kCustomMode = 21;
constexpr uint32_t kClosedWaitMs = 100;
constexpr uint64_t kStreamHoldOffUs = 200'000;
// The page shows at most one frame every 40 ms (25 a second), and one every 66 ms (15) while
// the frames also stream to the keyboard, which is sent every frame: the link's share of the
// program's time is left to it. The drawing is a preview; the keyboard shows every step.
constexpr uint64_t kPageFrameUs = 40'000;
constexpr uint64_t kStreamedPageFrameUs = 66'000;

uint64_t NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

std::vector<LightEntry> ToEntries(const KeyboardLightingEngine::Elements& elements) {
    std::vector<LightEntry> entries(elements.size());
    for (size_t i = 0; i < elements.size(); ++i) {
        const auto& e = elements[i];
        entries[i].red = e.colour.red;
        entries[i].green = e.colour.green;
        entries[i].blue = e.colour.blue;
        entries[i].level = e.level;
        entries[i].extra[0] = e.selected ? 1 : 0;
    }
    return entries;
}

// The synchronised-lighting thread's frame (red | green << 8 | blue << 16 | level << 24) on
// every light.
std::vector<LightEntry> SyncEntries(uint32_t packed, size_t count) {
    LightEntry e;
    e.red = static_cast<uint8_t>(packed);
    e.green = static_cast<uint8_t>(packed >> 8);
    e.blue = static_cast<uint8_t>(packed >> 16);
    e.level = static_cast<uint8_t>(packed >> 24);
    return std::vector<LightEntry>(count, e);
}

}  // namespace

KeyboardLightSettings KeyboardDriver::SettingsFromProfile() const {
    const std::vector<int> values = modeValues();
    const profiles::LightInfo light = lightInfo();
    KeyboardLightSettings s;
    s.mode = light.selectItem < values.size() ? values[light.selectItem] : light.selectItem;
    s.brightness = std::clamp<int>(light.light, 0, 4);
    s.deviceSpeed = 4 - std::clamp<int>(light.speed, 0, 4);
    s.direction = light.fx;
    s.multicolour = light.multiColor != 0;
    s.colour = Rgb{light.red, light.green, light.blue};
    return s;
}

void KeyboardDriver::UpdateLighting(bool restart) {
    if (lighting_ != Lighting::kStepped) {
        return;
    }
    const KeyboardLightSettings s = SettingsFromProfile();
    std::vector<KeyboardLightingEngine::CustomColour> custom;
    if (s.mode == kCustomMode) {
        const auto colours =
            CustomColours(lightInfo().customGroup, static_cast<int>(kKeyPositions));
        for (const auto& c : colours) {
            custom.push_back({Rgb{c.red, c.green, c.blue}, c.isBright != 0});
        }
    }
    bool setUp = false;
    {
        std::lock_guard lock(lightingMutex_);
        if (restart || !lightingSetUp_ || lightSettings_.mode != s.mode) {
            engine_.Setup(s, custom);
            reactive_.Clear();
            lightingSetUp_ = true;
            setUp = true;
            restartSteps_ = true;
        }
        lightSettings_ = s;
    }
    if (setUp) {
        ShowElements();
        if (s.mode == kCustomMode) {
            SendSelectionMask();
        }
    }
    lightingWake_.Set();
}

KeyboardLightSettings KeyboardDriver::lightSettings() const {
    std::lock_guard lock(lightingMutex_);
    return lightSettings_;
}

uint32_t KeyboardDriver::lightingSteps() const {
    std::lock_guard lock(lightingMutex_);
    return engine_.steps();
}

KeyboardLightingEngine::Elements KeyboardDriver::LightElements() const {
    std::lock_guard lock(lightingMutex_);
    return engine_.elements();
}

void KeyboardDriver::ShowElements() {
    std::vector<LightEntry> entries;
    {
        std::lock_guard lock(lightingMutex_);
        entries = ToEntries(engine_.elements());
    }
    frame_.Assign(entries);
}

void KeyboardDriver::PressKey(int position) {
    {
        std::lock_guard lock(lightingMutex_);
        if (!KeyboardLightingEngine::IsReactive(lightSettings_.mode)) {
            return;
        }
        reactive_.Press(static_cast<size_t>(position));
    }
    lightingWake_.Set();
}

void KeyboardDriver::SetSpectrum(const std::array<uint8_t, KeyboardLightingEngine::kBands>& bands) {
    std::lock_guard lock(lightingMutex_);
    engine_.SetSpectrum(bands);
}

bool KeyboardDriver::SetElementColour(size_t position) {
    const profiles::LightInfo light = lightInfo();
    {
        std::lock_guard lock(lightingMutex_);
        if (lightSettings_.mode != kCustomMode || position >= KeyboardLightingEngine::kLights) {
            return false;
        }
        engine_.SetElement(position, {Rgb{light.red, light.green, light.blue},
                                      LightTables::Level(lightSettings_.brightness), true});
    }
    ShowElements();
    SendSelectionMask();
    return true;
}

bool KeyboardDriver::PaintCustomKeys(std::span<const int> positions, bool lit, WriteDone done) {
    if (SettingsFromProfile().mode != kCustomMode) {
        return false;
    }
    const profiles::LightInfo light = lightInfo();
    auto colours = CustomColours(light.customGroup, static_cast<int>(kKeyPositions));
    const Rgb colour{light.red, light.green, light.blue};
    {
        std::lock_guard lock(lightingMutex_);
        const uint8_t level = lit ? LightTables::Level(lightSettings_.brightness) : uint8_t{0};
        for (const int position : positions) {
            const auto at = static_cast<size_t>(position);
            if (position < 0 || at >= colours.size() || at >= KeyboardLightingEngine::kLights) {
                continue;
            }
            colours[at] = {colour.red, colour.green, colour.blue, 0, static_cast<uint8_t>(lit)};
            engine_.SetElement(at, {colour, level, lit});
        }
    }
    KeepCustomColours(colours, light.customGroup);
    ShowElements();
    SendSelectionMask(std::move(done));
    return true;
}

void KeyboardDriver::SendSelectionMask(WriteDone done) {
    const KeyboardPositionMap map = positionMap();
    KeyboardColourStream::Mask mask;
    {
        std::lock_guard lock(lightingMutex_);
        mask = KeyboardColourStream::SelectionMask(engine_.elements(), map);
    }
    PostWrite(
        [this, mask] {
            WriteMask(mask);
            return 1;
        },
        std::move(done), {});
}

void KeyboardDriver::StartKeyReader() {
    keyReader_.Stop();
    if (channel().receiverMode()) {
        return;  // the receiver has no keyboard interface of the keyboard's own
    }
    const auto path = KeyboardKeyReader::FindKeyInterface(channel().cable().path());
    if (!path || !keyReader_.Start(*path, [this](int position) { PressKey(position); })) {
        DebugOutput::Write(
            "the keyboard's key presses cannot be read: the reactive lighting "
            "modes will not see them");
    }
}

void KeyboardDriver::Stop() {
    keyReader_.Stop();
    DeviceDriver::Stop();
}

void KeyboardDriver::Removed() {
    work().Stop();
    keyReader_.Stop();
    StopLightingThread();
}

void KeyboardDriver::RunLighting(platform::Event& stop) {
    hid::CommandChannel& ch = channel();
    // What the keyboard was last sent, and a frame still to send (after a failure, once the
    // pause is over); the frame the page is to show, at most one every kPageFrameUs.
    std::vector<uint8_t> lastSent;
    std::vector<uint8_t> toSend;
    uint64_t heldUntilUs = 0;
    std::vector<LightEntry> toShow;
    uint64_t shownUs = 0;
    const auto ended = [] { DebugOutput::Write("MS灯光线程设定退出"); };
    for (;;) {
        if (stop.Wait(0)) {
            return ended();
        }
        if (!ch.connected() || ch.busy()) {
            // Closed: look again in a while. An exchange in progress: the next turn.
            if (stop.Wait(ch.connected() ? 1 : kClosedWaitMs)) {
                return ended();
            }
            continue;
        }
        const uint64_t now = NowUs();
        if (restartSteps_.exchange(false)) {
            stepTimer_.Restart(now);
            lastSent.clear();  // a new mode or a new link: the next frame goes out
            toShow.clear();    // and nothing of the mode before
            toSend.clear();
        }
        const bool sync = syncOption();
        const bool seen = watched();
        KeyboardLightSettings s;
        bool streamed = false;
        // Nothing due until a change: a still mode drawn once, or a mode the keyboard animates
        // itself while nobody sees its drawing.
        bool resting = false;
        {
            std::lock_guard lock(lightingMutex_);
            s = lightSettings_;
            // While another program has the lighting, nothing is streamed to the keyboard.
            streamed = lightingSetUp_ && !sync && !ch.receiverMode() && lightingControl() &&
                       KeyboardLightingEngine::IsHostStreamed(s.mode);
            if (sync) {
                toShow = SyncEntries(syncFrame(), KeyboardLightingEngine::kLights);
            } else if (lightingSetUp_ && (seen || streamed) &&
                       stepTimer_.Due(s.mode, s.deviceSpeed, now, streamed)) {
                engine_.Step(s, reactive_);
                toShow = ToEntries(engine_.elements());
                if (streamed) {
                    toSend =
                        KeyboardColourStream::Build(engine_.elements(), streamMap_, streamSlots_);
                }
            }
            resting = !sync && lightingSetUp_ &&
                      ((KeyboardLightingEngine::IsStill(s.mode) && engine_.steps() > 0) ||
                       (!seen && !streamed));
        }
        // The page: the newest frame, no more often than a person can follow (an unchanged
        // frame is not drawn again).
        const uint64_t pageFrameUs = streamed ? kStreamedPageFrameUs : kPageFrameUs;
        if (!toShow.empty() && now >= shownUs + pageFrameUs) {
            frame_.Assign(toShow);
            toShow.clear();
            shownUs = now;
        }
        // The keyboard: every new frame, as fast as the link takes them.
        bool sent = false;
        if (!streamed || toSend == lastSent) {
            toSend.clear();
        } else if (!toSend.empty() && now >= heldUntilUs) {
            if (ch.StreamLighting(toSend) == hid::kResultOk) {
                lastSent.swap(toSend);
                toSend.clear();
                sent = true;
            } else {
                heldUntilUs = now + kStreamHoldOffUs;
            }
        }
        // Until the next step, frame to show or frame to send is due, a change of settings,
        // or stop: at least a millisecond, unless a frame just went out and the next is due at
        // once (the link paces the stream then).
        const uint64_t after = NowUs();
        constexpr uint64_t kNever = UINT64_MAX;
        uint64_t due = sync      ? after + KeyboardStepTimer::kTickUs
                       : resting ? kNever
                                 : stepTimer_.NextDueUs(s.mode, s.deviceSpeed, after, streamed);
        if (!toShow.empty()) {
            due = std::min(due, shownUs + pageFrameUs);
        }
        if (!toSend.empty()) {
            due = std::min(due, heldUntilUs);
        }
        const uint64_t least = sent && due <= after ? 0 : 1;
        const uint64_t left = due > after ? due - after : 0;
        const auto waitMs =
            due == kNever ? platform::kInfinite
                          : static_cast<uint32_t>(std::max<uint64_t>(least, (left + 999) / 1000));
        if (const auto woke = platform::WaitAny({&stop, &lightingWake_}, waitMs);
            woke && *woke == 0) {
            return ended();
        }
    }
}

}  // namespace marlo::devices
