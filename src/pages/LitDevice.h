#pragma once

#include <vector>

#include "pages/ZentrixUSBDevice.h"
#include "profiles/ProfileRecords.h"

namespace marlo::pages {

// A device whose page has a lighting panel: the panel's rules (its lighting family), its mode
// list, and the lighting settings it edits, which go to the profile and the device together.
class ILitDevice {
  public:
    virtual ~ILitDevice() = default;
    // 1 the keyboard, 7 the headset (the page kinds of the profile panel).
    virtual int LightingFamily() const = 0;
    virtual std::vector<CZentrixUSBDevice::Mode> LightModes() = 0;
    virtual profiles::LightInfo LightSettings() const = 0;
    // Kept in the profile and written to the device; `done` hears whether the device did not
    // take it (the profile keeps it all the same).
    virtual void TakeLightSettings(const profiles::LightInfo& light,
                                   CZentrixUSBDevice::WriteDone done) = 0;
    // The device's value of the mode it shows (its list's value for the mode index).
    virtual int LightModeValue() const = 0;
};

}  // namespace marlo::pages
