#include "CustomControls.h"

#include <memory>

#include "devices/DeviceKeyButtonUI.h"
#include "devices/DeviceProfileUI.h"
#include "devices/MpDevicePowerUI.h"
#include "devices/SelectPanelUI.h"
#include "devices/ZentrixHS6533Device.h"
#include "devices/ZentrixMousePadDevice.h"
#include "devices/ZentrixUSBDevice.h"
#include "panels/DeviceOptionUI.h"
#include "panels/KeySetControlUI.h"
#include "panels/LightControlUI.h"
#include "panels/MacroControlUI.h"
#include "panels/MagicControlUI.h"
#include "panels/Voice6533ControlUI.h"
#include "ui/ControlFactory.h"

namespace marlo::app {

namespace {

template <typename T>
void Register(const char* className) {
    ui::CControlFactory::GetInstance().RegistControl(className,
                                                     [] { return std::make_unique<T>(); });
}

}  // namespace

void RegisterCustomControls() {
    Register<devices::CSelectPanelUI>("CSelectPanelUI");
    Register<devices::CDeviceKeyButtonUI>("CDeviceKeyButtonUI");
    Register<panels::CDeviceOptionUI>("CDeviceOptionUI");
    Register<devices::CMpDevicePowerUI>("CMpDevicePowerUI");
    Register<devices::CDeviceProfileUI>("CDeviceProfileUI");
    Register<panels::CKeySetControlUI>("CKeySetControlUI");
    Register<panels::CMacroControlUI>("CMacroControlUI");
    Register<panels::CVoice6533ControlUI>("CVoice6533ControlUI");
    Register<panels::CMagicControlUI>("CMagicControlUI");
    Register<panels::CLightControlUI>("CLightControlUI");
    Register<devices::CZentrixUSBDevice>("CZentrixUSBDevice");
    Register<devices::CZentrixMousePadDevice>("CZentrixMousePadDevice");
    Register<devices::CZentrixHS6533Device>("CZentrixHS6533Device");
}

}  // namespace marlo::app
