#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "devices/DeviceWork.h"
#include "devices/LightingEffects.h"
#include "devices/LightingFrame.h"
#include "hid/CommandChannel.h"
#include "hid/SupportedDevices.h"
#include "platform/WorkerThread.h"

namespace marlo::devices {

// What every product's driver has, apart from any page: its command channel and its event
// interface, its own thread for exchanges (DeviceWork), its lighting frame and the thread that
// steps it, and the thread that reads its notifications. A product's driver adds its protocol
// and its profile; the page that shows it holds it and hears from it through handlers.
//
// Threads: nothing here is the UI thread's. The work thread makes every exchange; the lighting
// thread steps the effect (the frame has its own lock, the effect state is under effectLock_);
// the event thread reads the event interface and hands each code to OnDeviceEvent. All three
// wake on their stop events. The handlers are called on those threads.
//
// A driver whose lighting or events use its own members calls Stop() in its own destructor,
// while they exist.
class DeviceDriver {
  public:
    // The common lighting modes the base lighting thread steps.
    enum LightingMode : int {
        kModeColourCycle = 1,
        kModeBreathing = 2,
        kModeStatic = 3,
        kModeBlink = 4,
        kModeOff = 8,
    };
    // A device asks to be read again with this notification.
    static constexpr uint16_t kSyncRequestCode = 0x401;
    // After a frame that did not reach the device, no frame is sent for this long.
    static constexpr uint32_t kStreamHoldOffMs = 200;
    // The status poll's six bytes: link, battery, charge, receiver flag, status byte, spare.
    using CommandStatus = std::array<uint8_t, 6>;
    // What a write reports when it is over, where the work delivers: what it returned and
    // whether the device refused any of it.
    using WriteDone = std::function<void(int result, bool failed)>;

    DeviceDriver() = default;
    virtual ~DeviceDriver();
    DeviceDriver(const DeviceDriver&) = delete;
    DeviceDriver& operator=(const DeviceDriver&) = delete;

    // --- What the device is. ---
    void SetIdentity(const hid::SupportedDeviceRecord& record);
    hid::SupportedDeviceRecord identity() const;
    uint16_t productCode() const { return productCode_; }
    // Behind its receiver: frames are not streamed, presence is the receiver's link.
    void SetReceiver(bool viaReceiver);
    bool receiver() const { return receiver_; }
    hid::CommandChannel& channel() { return channel_; }
    bool connected() const { return channel_.connected(); }
    DeviceWork& work() { return work_; }

    // --- Reading (work thread). ---
    // The information block for the firmware version; false when the device did not answer.
    bool ReadFirmwareVersion();
    uint16_t firmwareVersion() const { return firmwareVersion_; }
    // Whether the device is there: 1 by default; a device behind a receiver answers by the
    // link check.
    virtual int IsPresent() { return 1; }
    // 1 only when the channel is connected, the device is on its receiver and the receiver
    // reaches it (the link check answers).
    int ReceiverLinkPresent();
    // The link check and the status bytes on the work thread; `shown` hears them where the
    // work delivers (byte 3: 1 behind the receiver). A poll is not asked again while the last
    // one has not come back; nothing is heard when the device did not answer.
    void PollStatus(std::function<void(const CommandStatus&)> shown);

    // --- The lighting frame. ---
    LightingFrame& frame() { return frame_; }
    const LightingFrame& frame() const { return frame_; }
    // Whether the program shows and sends lighting at all; when it is turned on for the cable
    // keyboard (product code 1), the keyboard is told so (command 28) on the work thread.
    void SetLightingControl(bool on);
    bool lightingControl() const { return lightingControl_; }
    // Synchronised lighting: whether it plays here, and its frame (red | green << 8 |
    // blue << 16 | level << 24), handed from the synchronised-lighting thread.
    void SetSyncOption(bool on) {
        syncOption_ = on;
        WakeLighting();  // a resting lighting thread plays (or leaves) the synchronised frames
    }
    bool syncOption() const { return syncOption_; }
    void SetSyncFrame(uint32_t packed) { syncFrame_ = packed; }
    uint32_t syncFrame() const { return syncFrame_; }
    // Whether a person can see the device's page (its drawing follows the frame). A device
    // that animates its effect itself is then only stepped for the drawing; its lighting
    // thread looks again when this changes.
    void SetWatched(bool watched) {
        if (watched_.exchange(watched) != watched) {
            WakeLighting();
        }
    }
    bool watched() const { return watched_; }
    // The frame to the device on the work thread, when it does not have it yet (a frame
    // waiting there already sends the newest). Nothing behind the receiver, or while the
    // lighting control is off.
    void SendFrameLater(bool frameChanged);
    // Whether the device has the frame (false after a new link, or a frame it did not take).
    bool frameSent() const { return frameSent_; }
    // The device has not seen the frame (a new link, the lighting control back on).
    void FrameOutdated();
    // Called, on any thread, when the frame changed or the device needs it again.
    void SetFrameWakeHandler(std::function<void()> handler);
    // Calls the frame wake handler (the frame's presenter has something to look at).
    void WakeFrame();

    // --- The threads. ---
    // Stops a running lighting thread first.
    void StartLightingThread();
    void StopLightingThread();
    bool lightingThreadRunning() const { return lightingThread_.IsRunning(); }
    // Opens the event collection (when not open) and starts the event thread. False when the
    // path cannot be opened.
    bool OpenEventInterface(const std::string& path);
    // Stops the event thread, then closes the interface.
    void CloseEventInterface();
    bool eventInterfaceOpen() const { return eventChannel_.connected(); }
    // Called on the event thread when the device asks to be read again.
    void SetSyncRequestHandler(std::function<void()> handler);
    // Everything stops: the exchange under way is cut short (a device that does not answer
    // must not hold the program's end), then the work, the lighting and the event threads.
    virtual void Stop();
    // The device was unplugged: its work and lighting stop before its interfaces close.
    virtual void Removed();

  protected:
    // What the base lighting thread steps (the product's drivers know it).
    virtual int CurrentLightingMode() const { return kModeStatic; }
    virtual EffectSettings CurrentEffect() const { return {}; }
    // The lighting thread's body: it steps the effect until `stop`, and rests while the
    // effect stands still.
    virtual void RunLighting(platform::Event& stop);
    // What CurrentLightingMode or CurrentEffect say changed: the lighting thread looks again.
    void WakeLighting();
    // A notification's code, on the event thread; the base asks for a read on 0x401.
    virtual void OnDeviceEvent(uint16_t code);
    // The frame to the device (the work thread): the colour stream in the base.
    virtual void SendFrame();
    // Whether the device is sent the frame the page shows at all.
    virtual bool SendsFrames() const { return true; }
    void SetFrameSent(bool sent) { frameSent_ = sent; }
    // The sync request handler, if any (the event thread).
    void SyncRequested();

    LightingFrame frame_;
    // Set when the lighting changed: the lighting thread waits on it besides its stop event.
    platform::Event lightingWake_{platform::Event::Reset::kAuto};

  private:
    // Calls one of the handlers, copied under handlerLock_, when it is set.
    void CallHandler(std::function<void()> DeviceDriver::*which);
    void RunEvents(platform::Event& stop);
    void StepForMode(int mode);

    hid::CommandChannel channel_;
    hid::CommandChannel eventChannel_;
    DeviceWork work_;

    mutable std::mutex identityLock_;
    hid::SupportedDeviceRecord identity_;  // under identityLock_
    std::atomic<uint16_t> productCode_{0};
    std::atomic<bool> receiver_{false};
    std::atomic<uint16_t> firmwareVersion_{0};
    std::atomic<bool> statusPending_{false};
    std::atomic<bool> lightingControl_{true};
    std::atomic<bool> syncOption_{false};
    std::atomic<bool> watched_{true};
    std::atomic<uint32_t> syncFrame_{0};
    std::atomic<bool> frameSent_{false};
    uint64_t streamHeldUntilMs_ = 0;  // the work thread's

    std::mutex effectLock_;
    LightingEffects effects_;  // under effectLock_
    std::mutex handlerLock_;
    std::function<void()> syncRequested_;  // under handlerLock_
    std::function<void()> frameWake_;      // under handlerLock_
    platform::WorkerThread lightingThread_;
    platform::WorkerThread eventThread_;
};

}  // namespace marlo::devices
