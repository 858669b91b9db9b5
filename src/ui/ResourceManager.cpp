#include "ui/ResourceManager.h"

#include <pugixml.hpp>

#include "platform/DebugOutput.h"
#include "ui/ControlUI.h"
#include "ui/PaintManagerUI.h"

namespace marlo::ui {

CResourceManager& CResourceManager::GetInstance() {
    static CResourceManager manager;
    return manager;
}

bool CResourceManager::LoadResource(const std::string& resXmlPath) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(resXmlPath.c_str());
    if (!result) {
        platform::DebugOutput::Printf("%s: %s", resXmlPath.c_str(), result.description());
        return false;
    }
    for (const pugi::xml_node& node : doc.child("Res").children()) {
        const std::string name = node.attribute("name").as_string();
        const std::string file = node.attribute("file").as_string();
        if (!name.empty() && !file.empty()) {
            resources_[name] = file;
        }
    }
    return true;
}

std::string CResourceManager::GetXmlPath(std::string_view name) const {
    const auto it = resources_.find(name);
    return it == resources_.end() ? std::string() : CPaintManagerUI::GetResourcePath() + it->second;
}

bool CResourceManager::LoadLanguage(const std::string& file) {
    const std::string path = file.empty() || file.front() == '/'
                                 ? file
                                 : CPaintManagerUI::GetResourcePath() + "lang/" + file;
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (!result) {
        platform::DebugOutput::Printf("%s: %s", path.c_str(), result.description());
        return false;
    }
    std::map<std::string, std::string, std::less<>> texts;
    for (const pugi::xml_node& node : doc.child("Language").children("Text")) {
        texts[node.attribute("id").as_string()] = node.text().as_string();
    }
    texts_ = std::move(texts);
    return true;
}

std::string CResourceManager::GetText(std::string_view id, const CControlUI* control) const {
    if (query_ != nullptr) {
        std::string text = query_->QueryControlText(id, control);
        if (!text.empty()) {
            return text;
        }
    }
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::string(id) : it->second;
}

std::optional<std::string> CResourceManager::FindText(std::string_view id) const {
    const auto it = texts_.find(id);
    if (it == texts_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void CResourceManager::ReloadText() {
    for (CPaintManagerUI* manager : CPaintManagerUI::AllManagers()) {
        if (manager->GetRoot() == nullptr) {
            continue;
        }
        manager->GetRoot()->FindControl([](CControlUI* c) {
            // Texts from the language, and tooltips, which may be too.
            if (c->IsResourceText() || !c->GetToolTip().empty()) {
                c->Invalidate();
            }
            return false;
        });
    }
}

void CResourceManager::Release() {
    resources_.clear();
    texts_.clear();
    language_.clear();
    query_ = nullptr;
}

}  // namespace marlo::ui
