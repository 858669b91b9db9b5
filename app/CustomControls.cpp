#include "CustomControls.h"

#include <memory>

#include "pages/DeviceKeyButtonUI.h"
#include "pages/DeviceProfileUI.h"
#include "pages/MpDevicePowerUI.h"
#include "pages/SelectPanelUI.h"
#include "pages/ZentrixHS6533Device.h"
#include "pages/ZentrixMousePadDevice.h"
#include "pages/ZentrixUSBDevice.h"
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
    Register<pages::CSelectPanelUI>("CSelectPanelUI");
    Register<pages::CDeviceKeyButtonUI>("CDeviceKeyButtonUI");
    Register<panels::CDeviceOptionUI>("CDeviceOptionUI");
    Register<pages::CMpDevicePowerUI>("CMpDevicePowerUI");
    Register<pages::CDeviceProfileUI>("CDeviceProfileUI");
    Register<panels::CKeySetControlUI>("CKeySetControlUI");
    Register<panels::CMacroControlUI>("CMacroControlUI");
    Register<panels::CVoice6533ControlUI>("CVoice6533ControlUI");
    Register<panels::CMagicControlUI>("CMagicControlUI");
    Register<panels::CLightControlUI>("CLightControlUI");
    Register<pages::CZentrixUSBDevice>("CZentrixUSBDevice");
    Register<pages::CZentrixMousePadDevice>("CZentrixMousePadDevice");
    Register<pages::CZentrixHS6533Device>("CZentrixHS6533Device");
}

}  // namespace marlo::app
