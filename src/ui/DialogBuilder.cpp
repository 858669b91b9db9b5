#include "ui/DialogBuilder.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <set>

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ContainerUI.h"
#include "ui/ControlFactory.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ProgressUI.h"
#include "ui/ResourceManager.h"
#include "ui/TabLayoutUI.h"

namespace marlo::ui {

namespace {

// Includes and nesting are bounded: a layout that includes itself, or nests without end,
// is an error, not a crash.
constexpr int kMaxDepth = 128;
// The work one layout may cause, includes and their counts multiplied out: elements built
// (controls and includes) and includes within includes. The real skin's largest window builds
// about two thousand controls.
constexpr size_t kMaxElements = 50000;
constexpr int kMaxIncludeDepth = 16;
constexpr size_t kMaxLayoutBytes = 8 * 1024 * 1024;
// The XML one layout may parse, its includes (each time they are built) counted in: the real
// skin's largest window parses well under a megabyte.
constexpr size_t kMaxParsedBytes = 32 * 1024 * 1024;

using Maker = std::function<std::unique_ptr<CControlUI>()>;

const std::map<std::string, Maker, std::less<>>& BuiltIns() {
    static const std::map<std::string, Maker, std::less<>> makers = {
        {"Control", [] { return std::make_unique<CControlUI>(); }},
        {"Container", [] { return std::make_unique<CContainerUI>(); }},
        {"VerticalLayout", [] { return std::make_unique<CVerticalLayoutUI>(); }},
        {"HorizontalLayout", [] { return std::make_unique<CHorizontalLayoutUI>(); }},
        {"TabLayout", [] { return std::make_unique<CTabLayoutUI>(); }},
        {"Label", [] { return std::make_unique<CLabelUI>(); }},
        {"Text", [] { return std::make_unique<CTextUI>(); }},
        {"Button", [] { return std::make_unique<CButtonUI>(); }},
        {"Option", [] { return std::make_unique<COptionUI>(); }},
        {"CheckBox", [] { return std::make_unique<CCheckBoxUI>(); }},
        {"Edit", [] { return std::make_unique<CEditUI>(); }},
        {"RichEdit", [] { return std::make_unique<CRichEditUI>(); }},
        {"Progress", [] { return std::make_unique<CProgressUI>(); }},
        {"Slider", [] { return std::make_unique<CSliderUI>(); }},
        {"Combo", [] { return std::make_unique<CComboUI>(); }},
        {"ColorPalette", [] { return std::make_unique<CColorPaletteUI>(); }},
        {"List", [] { return std::make_unique<CListUI>(); }},
        {"ListLabelElement", [] { return std::make_unique<CListLabelElementUI>(); }},
        {"ListContainerElement", [] { return std::make_unique<CListContainerElementUI>(); }},
    };
    return makers;
}

// Where each line of a text starts, found once per text.
std::vector<size_t> LineStarts(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
        starts.push_back(i + 1);
    }
    return starts;
}

int LineOf(const std::vector<size_t>& starts, ptrdiff_t offset) {
    if (offset < 0) {
        return 0;
    }
    const auto after =
        std::upper_bound(starts.begin(), starts.end(), static_cast<size_t>(offset));
    return static_cast<int>(after - starts.begin());
}

}  // namespace

std::vector<std::pair<std::string, std::string>> CDialogBuilder::ParseAttributeList(
    std::string_view list) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == ' ')
            ++i;
        const size_t eq = list.find('=', i);
        if (eq == std::string_view::npos || eq + 1 >= list.size())
            break;
        const char quote = list[eq + 1];
        if (quote != '"' && quote != '\'')
            break;
        const size_t end = list.find(quote, eq + 2);
        if (end == std::string_view::npos)
            break;
        pairs.emplace_back(std::string(list.substr(i, eq - i)),
                           std::string(list.substr(eq + 2, end - eq - 2)));
        i = end + 1;
    }
    return pairs;
}

struct CDialogBuilder::Source {
    std::string name;
    std::vector<size_t> lineStarts;
};

std::string CDialogBuilder::TagOf(std::string_view className) {
    std::string tag(className);
    if (tag.size() > 2 && tag.ends_with("UI")) {
        tag.resize(tag.size() - 2);
    }
    return tag;
}

std::string CDialogBuilder::Resolve(std::string_view fileOrResource) const {
    const std::string byName = CResourceManager::GetInstance().GetXmlPath(fileOrResource);
    if (!byName.empty()) {
        return byName;
    }
    if (!fileOrResource.empty() && fileOrResource.front() == '/') {
        return std::string(fileOrResource);
    }
    return CPaintManagerUI::GetResourcePath() + std::string(fileOrResource);
}

std::unique_ptr<CControlUI> CDialogBuilder::Create(std::string_view fileOrResource,
                                                   IDialogBuilderCallback* callback,
                                                   CPaintManagerUI* manager) {
    callback_ = callback;
    manager_ = manager;
    ResetBudget();
    const std::string path = Resolve(fileOrResource);
    const auto text = platform::ReadWholeFile(path, kMaxLayoutBytes);
    if (!text) {
        errors_.push_back(path + ":0: cannot read the layout file");
        return nullptr;
    }
    auto built = Build(*text, path, 0);
    includes_.clear();  // the included files are not kept past their layout
    return built;
}

std::unique_ptr<CControlUI> CDialogBuilder::CreateFromText(std::string_view xml,
                                                           std::string_view sourceName,
                                                           IDialogBuilderCallback* callback,
                                                           CPaintManagerUI* manager) {
    callback_ = callback;
    manager_ = manager;
    ResetBudget();
    auto built = Build(std::string(xml), std::string(sourceName), 0);
    includes_.clear();  // the included files are not kept past their layout
    return built;
}

void CDialogBuilder::ResetBudget() {
    elementsBuilt_ = 0;
    bytesParsed_ = 0;
    includeDepth_ = 0;
    overBudget_ = false;
    includes_.clear();
}

void CDialogBuilder::Error(const Source& source, const pugi::xml_node& node,
                           const std::string& message) {
    errors_.push_back(source.name + ":" +
                      std::to_string(LineOf(source.lineStarts, node.offset_debug())) + ": " +
                      message);
    platform::DebugOutput::Write(errors_.back());
}

std::unique_ptr<CControlUI> CDialogBuilder::Build(const std::string& text, const std::string& name,
                                                  int depth) {
    bytesParsed_ += text.size();
    const Source source{name, LineStarts(text)};
    pugi::xml_document doc;
    const pugi::xml_parse_result result =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result) {
        errors_.push_back(name + ":" + std::to_string(LineOf(source.lineStarts, result.offset)) +
                          ": " + result.description());
        platform::DebugOutput::Write(errors_.back());
        // What was parsed before the error is still built.
    }
    pugi::xml_node root = doc.document_element();
    if (!root) {
        return nullptr;
    }
    if (std::string_view(root.name()) != "Window") {
        // A layout without <Window> is one control element (a sub-layout).
        return BuildControl(root, source, depth);
    }
    for (const pugi::xml_attribute& a : root.attributes()) {
        if (manager_ != nullptr) {
            manager_->SetWindowAttribute(a.name(), a.value());
        }
    }
    std::unique_ptr<CControlUI> control;
    for (const pugi::xml_node& child : root.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const std::string_view tag = child.name();
        if (tag == "Font") {
            if (manager_ != nullptr) {
                FontInfo font{child.attribute("name").as_string(),
                              child.attribute("size").as_int(14), child.attribute("bold").as_bool(),
                              child.attribute("underline").as_bool(),
                              child.attribute("italic").as_bool()};
                manager_->AddFont(child.attribute("id").as_int(-1), font,
                                  child.attribute("default").as_bool());
            }
        } else if (tag == "Default") {
            if (manager_ != nullptr) {
                manager_->AddDefaultAttributeList(child.attribute("name").as_string(),
                                                  child.attribute("value").as_string());
            }
        } else if (!control) {
            control = BuildControl(child, source, depth);
        } else {
            Error(source, child,
                  "a window has one root control; <" + std::string(tag) + "> left out");
        }
    }
    return control;
}

std::unique_ptr<CControlUI> CDialogBuilder::MakeControl(const std::string& tag) {
    if (auto c = CControlFactory::GetInstance().CreateControl("C" + tag + "UI")) {
        return c;
    }
    if (auto c = CControlFactory::GetInstance().CreateControl(tag)) {
        return c;
    }
    if (const auto it = BuiltIns().find(tag); it != BuiltIns().end()) {
        return it->second();
    }
    return callback_ != nullptr ? callback_->CreateControl(tag) : nullptr;
}

bool CDialogBuilder::IsKnownAttribute(std::string_view name) {
    // Every control's, then the states' looks, then those of particular controls.
    static const std::set<std::string, std::less<>> known = {
        "name",         "text",        "tooltip",     "visible",     "enabled",    "userdata",
        "resourcetext", "virtualwnd",  "width",       "height",      "padding",    "childpadding",
        "font",         "align",       "textpadding", "bkcolor",     "textcolor",  "bordercolor",
        "bordersize",   "borderround", "bkimage",     "normalimage", "foreimage",  "group",
        "selected",     "number",      "numberonly",  "minvalue",    "maxvalue",   "maxchar",
        "readonly",     "min",         "max",         "value",       "selectedid", "vscrollbar",
        "hscrollbar",   "keycolor",    "level",       "itemheight",  "areaselect"};
    if (known.count(name) != 0 || name.ends_with("_style")) {
        return true;  // a named style is an attribute list the control keeps
    }
    for (const std::string_view state :
         {"hot", "pushed", "selected", "focused", "focus", "disabled"}) {
        if (name.starts_with(state)) {
            const std::string_view look = name.substr(state.size());
            if (look == "bkcolor" || look == "textcolor" || look == "bordercolor" ||
                look == "image" || look == "foreimage") {
                return true;
            }
        }
    }
    return false;
}

void CDialogBuilder::ApplyAttributes(CControlUI& control, const std::string& tag,
                                     const pugi::xml_node& node, const Source& source) {
    if (manager_ != nullptr) {
        for (const auto& [n, v] : ParseAttributeList(manager_->GetDefaultAttributeList(tag))) {
            control.SetAttribute(n, v);
        }
    }
    for (const pugi::xml_attribute& a : node.attributes()) {
        if (!IsKnownAttribute(a.name())) {
            // Kept all the same: the program may read it by name.
            Error(source, node,
                  std::string("unknown attribute '") + a.name() + "' of <" + tag + ">");
        }
        control.SetAttribute(a.name(), a.value());
    }
}

std::unique_ptr<CControlUI> CDialogBuilder::BuildControl(const pugi::xml_node& node,
                                                         const Source& source, int depth) {
    if (depth > kMaxDepth) {
        Error(source, node, "layout nested too deep");
        return nullptr;
    }
    if (elementsBuilt_ >= kMaxElements) {
        if (!overBudget_) {
            overBudget_ = true;
            Error(source, node,
                  "the layout builds more than " + std::to_string(kMaxElements) +
                      " elements (an include that repeats itself?); the rest is left out");
        }
        return nullptr;
    }
    ++elementsBuilt_;
    const std::string tag = node.name();
    if (tag == "Include") {
        const std::string file = node.attribute("source").as_string();
        if (includeDepth_ >= kMaxIncludeDepth) {
            Error(source, node,
                  "includes nested deeper than " + std::to_string(kMaxIncludeDepth) +
                      " (does a layout include itself?); " + file + " left out");
            return nullptr;
        }
        const std::string path = Resolve(file);
        // Read once per layout, however often it is included.
        auto cached = includes_.find(path);
        if (cached == includes_.end()) {
            cached = includes_.emplace(path, platform::ReadWholeFile(path, kMaxLayoutBytes)).first;
        }
        const std::optional<std::string>& text = cached->second;
        if (!text) {
            Error(source, node, "cannot read included layout " + file);
            return nullptr;
        }
        if (bytesParsed_ + text->size() > kMaxParsedBytes) {
            overBudget_ = true;
            Error(source, node,
                  "the layout parses more than " + std::to_string(kMaxParsedBytes / 1024 / 1024) +
                      " MiB of XML (an include that repeats itself?); the rest is left out");
            return nullptr;
        }
        ++includeDepth_;
        auto built = Build(*text, path, depth + 1);
        --includeDepth_;
        return built;
    }
    std::unique_ptr<CControlUI> control = MakeControl(tag);
    if (!control) {
        Error(source, node, "unknown control class <" + tag + ">");
        return nullptr;
    }
    ApplyAttributes(*control, tag, node, source);
    auto* container = dynamic_cast<CContainerUI*>(control.get());
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (container == nullptr) {
            Error(source, child,
                  "<" + tag + "> holds no controls; <" + child.name() + "> left out");
            continue;
        }
        const int count = std::string_view(child.name()) == "Include"
                              ? std::max(1, std::min(child.attribute("count").as_int(1), 64))
                              : 1;
        for (int i = 0; i < count && !overBudget_; ++i) {
            if (auto built = BuildControl(child, source, depth + 1)) {
                container->Add(std::move(built));
            }
        }
    }
    return control;
}

}  // namespace marlo::ui
