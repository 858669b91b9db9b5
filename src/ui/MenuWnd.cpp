#include "ui/MenuWnd.h"

#include <pugixml.hpp>

#include <memory>

#include "platform/DebugOutput.h"
#include "ui/DisplayBackend.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"
#include "ui/UIDefs.h"

namespace marlo::ui {

CMenuWnd::~CMenuWnd() {
    Close();
}

bool CMenuWnd::Init(platform::WindowHandle owner, const std::string& xml, int x, int y,
                    uint32_t alignment) {
    const std::string path =
        !xml.empty() && xml.front() == '/' ? xml : CPaintManagerUI::GetResourcePath() + xml;
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (!result) {
        platform::DebugOutput::Printf("%s: %s", path.c_str(), result.description());
        return false;
    }
    items_.clear();
    for (const pugi::xml_node& node : doc.child("Menu").children("MenuElement")) {
        items_.push_back(
            Item{node.attribute("name").as_string(), node.attribute("text").as_string(),
                 node.attribute("userdata").as_string(), node.attribute("resourcetext").as_bool(),
                 node.attribute("checked").as_bool(), node.attribute("visible").as_bool(true),
                 node.attribute("enabled").as_bool(true)});
    }
    owner_ = owner;
    x_ = x;
    y_ = y;
    alignment_ = alignment;
    open_ = true;
    if (IDisplayBackend* backend = CPaintManagerUI::GetBackend()) {
        backend->MenuShown(this);
    }
    return true;
}

std::string CMenuWnd::ShownText(const Item& item) const {
    return item.resourceText ? CResourceManager::GetInstance().GetText(item.text) : item.text;
}

bool CMenuWnd::Choose(std::string_view name) {
    if (!open_) {
        return false;
    }
    for (const Item& item : items_) {
        if (item.name != name || !item.visible || !item.enabled) {
            continue;
        }
        MenuCmd cmd{item.name, item.userData, ShownText(item), item.checked};
        IDisplayBackend* backend = CPaintManagerUI::GetBackend();
        Close();
        if (backend != nullptr) {
            backend->loop().PostPayload(owner_, kWmMenuCommand, std::move(cmd));
        }
        return true;
    }
    return false;
}

void CMenuWnd::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    if (IDisplayBackend* backend = CPaintManagerUI::GetBackend()) {
        backend->MenuClosed(this);
    }
}

}  // namespace marlo::ui
