#include "SkinClasses.h"

#include <strings.h>

#include <string>

#include "pages/DeviceKeyButtonUI.h"
#include "pages/DeviceProfileUI.h"
#include "pages/SelectPanelUI.h"
#include "pages/ZentrixHS6533Device.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "pages/ZentrixMouseDevice.h"
#include "pages/ZentrixMousePadDevice.h"
#include "panels/KeySetControlUI.h"
#include "panels/LightControlUI.h"
#include "panels/MacroControlUI.h"
#include "panels/MagicControlUI.h"
#include "panels/Voice6533ControlUI.h"
#include "platform/DebugOutput.h"

namespace marlo::app {

namespace {

// The classes made here, and the sub-layouts built for a skin element.
struct MadeClass {
    const char* skinClass;
    std::unique_ptr<ui::CControlUI> (*make)();
};

template <typename T>
std::unique_ptr<ui::CControlUI> Make() {
    return std::make_unique<T>();
}

constexpr MadeClass kMadeClasses[] = {
    {"SelectPanel", &Make<pages::CSelectPanelUI>},
    {"DeviceKeyButton", &Make<pages::CDeviceKeyButtonUI>},
    {"ZentrixMousePadDevice", &Make<pages::CZentrixMousePadDevice>},
    {"ZentrixHS6533Device", &Make<pages::CZentrixHS6533Device>},
    {"ZentrixMouseDevice", &Make<pages::CZentrixMouseDevice>},
    {"ZentrixKeyboardDevice", &Make<pages::CZentrixKeyboardDevice>},
    {"DeviceProfile", &Make<pages::CDeviceProfileUI>},
    {"KeySetControl", &Make<panels::CKeySetControlUI>},
    {"MacroControl", &Make<panels::CMacroControlUI>},
    {"Voice6533Control", &Make<panels::CVoice6533ControlUI>},
    {"MagicControl", &Make<panels::CMagicControlUI>},
    {"LightControl", &Make<panels::CLightControlUI>},
};

struct SubLayout {
    const char* skinClass;
    const char* file;
};

constexpr SubLayout kSubLayouts[] = {
    {"DeviceProfileUI", "xml/CustomControlXML/DeviceProfile.xml"},
    {"KeySetControlUI", "xml/CustomControlXML/KeySetControl.xml"},
    {"MacroSetControlUI", "xml/CustomControlXML/MacroControl.xml"},
    {"Voice6533ControlUI", "xml/CustomControlXML/Voice6533Control.xml"},
    {"MagicControlUI", "xml/CustomControlXML/MagicControl.xml"},
    {"SurroundControlUI", "xml/CustomControlXML/SurroundControl.xml"},
    {"LightSetControlUI", "xml/CustomControlXML/LightControl.xml"},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::unique_ptr<ui::CControlUI> CSkinClasses::CreateControl(std::string_view className) {
    for (const MadeClass& made : kMadeClasses) {
        if (SameIgnoringCase(className, made.skinClass)) {
            return made.make();
        }
    }
    for (const SubLayout& sub : kSubLayouts) {
        if (SameIgnoringCase(className, sub.skinClass)) {
            ui::CDialogBuilder builder;
            auto root = builder.Create(sub.file, nullptr, &manager_);
            for (const std::string& error : builder.errors()) {
                platform::DebugOutput::Printf("%s", error.c_str());
            }
            return root;
        }
    }
    return nullptr;
}

}  // namespace marlo::app
