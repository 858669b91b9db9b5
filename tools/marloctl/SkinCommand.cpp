// marloctl skin tree FILE: a layout built as the program builds it, printed as a tree.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "CustomControls.h"
#include "SkinClasses.h"
#include "platform/Paths.h"
#include "ui/ContainerUI.h"
#include "ui/DialogBuilder.h"
#include "ui/HeadlessBackend.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

namespace marloctl {
namespace {

void Print(const marlo::ui::CControlUI& control, int depth) {
    const std::string tag = marlo::ui::CDialogBuilder::TagOf(control.GetClass());
    std::printf("%*s%s %s\n", depth * 2, "", tag.c_str(),
                control.GetName().empty() ? "-" : control.GetName().c_str());
    if (const auto* container = dynamic_cast<const marlo::ui::CContainerUI*>(&control)) {
        for (int i = 0; i < container->GetCount(); ++i) {
            Print(*container->GetItemAt(i), depth + 1);
        }
    }
}

}  // namespace

int SkinCommand(Args args) {
    if (args.size() != 2 || args[0] != "tree") {
        return Usage("skin tree FILE");
    }
    using namespace marlo::ui;
    HeadlessBackend backend;
    const std::string skin = (marlo::platform::Paths::ResourceDir() / "skin").string();
    CPaintManagerUI::SetResourcePath(skin);
    CResourceManager::GetInstance().LoadResource(skin + "/res.xml");
    // The program's own classes too, as it knows them.
    marlo::app::RegisterCustomControls();
    CPaintManagerUI manager;
    marlo::app::CSkinClasses programClasses(manager);
    CDialogBuilder builder;
    const std::string file(args[1]);
    // A path given on the command line is taken as it is; a resource name through res.xml.
    const auto root = builder.Create(file.find('/') != std::string::npos && file.front() != '/'
                                         ? std::filesystem::absolute(file).string()
                                         : file,
                                     &programClasses, &manager);
    for (const std::string& error : builder.errors()) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    if (root) {
        Print(*root, 0);
    }
    return builder.errors().empty() && root ? kOk : kRefused;
}

}  // namespace marloctl
