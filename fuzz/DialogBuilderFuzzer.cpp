// Any text as a skin layout builds a tree or reports errors; the tree can be walked and
// every control found by its name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/ControlUI.h"
#include "ui/DialogBuilder.h"
#include "ui/HeadlessBackend.h"
#include "ui/PaintManagerUI.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static marlo::ui::HeadlessBackend backend;
    // Includes resolve inside an empty folder: a layout cannot read files of the machine.
    marlo::ui::CPaintManagerUI::SetResourcePath("/nonexistent-skin/");
    marlo::ui::CPaintManagerUI manager;
    marlo::ui::CDialogBuilder builder;
    auto root = builder.CreateFromText(std::string_view(reinterpret_cast<const char*>(data), size),
                                       "fuzz.xml", nullptr, &manager);
    if (root) {
        manager.AttachDialog(std::move(root));
        manager.GetRoot()->FindControl([&](marlo::ui::CControlUI* c) {
            manager.FindControl(c->GetName());
            c->GetShownText();
            return false;
        });
    }
    return 0;
}
