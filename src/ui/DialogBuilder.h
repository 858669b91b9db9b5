#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_node;
}

namespace marlo::ui {

class CControlUI;
class CPaintManagerUI;

// Asked for every element class the builder does not know.
class IDialogBuilderCallback {
  public:
    virtual ~IDialogBuilderCallback() = default;
    virtual std::unique_ptr<CControlUI> CreateControl(std::string_view className) = 0;
};

// Builds a control tree from a skin layout: a file (relative names are under the resource
// path) or a resource name of res.xml ("XML_MAIN"), or XML text. The root element is
// <Window> with the window's attributes, its <Font>, <Default> and <Include> elements, and
// one control element. A tag is a class name without "C" and "UI": registered classes come
// from the control factory, the toolkit's own next, unknown ones from the callback.
//
// Malformed XML, an unknown class, or an include that cannot be built is an error naming the
// file and line; the element is left out and the rest of the tree is still built. The work of
// one layout is bounded (elements built, bytes of XML parsed, includes within includes): past
// the bound it is an error of the same kind, and the building stops.
class CDialogBuilder {
  public:
    std::unique_ptr<CControlUI> Create(std::string_view fileOrResource,
                                       IDialogBuilderCallback* callback = nullptr,
                                       CPaintManagerUI* manager = nullptr);
    std::unique_ptr<CControlUI> CreateFromText(std::string_view xml, std::string_view sourceName,
                                               IDialogBuilderCallback* callback = nullptr,
                                               CPaintManagerUI* manager = nullptr);

    // "file:line: message", in the order they were found (includes' errors too).
    const std::vector<std::string>& errors() const { return errors_; }
    // Splits 'a="1" b="two"' into its pairs, in order.
    static std::vector<std::pair<std::string, std::string>> ParseAttributeList(
        std::string_view list);
    // The tag a control of a class is written with: "ButtonUI" → "Button".
    static std::string TagOf(std::string_view className);
    // An attribute some control draws or reads; others are reported (and still kept).
    static bool IsKnownAttribute(std::string_view name);

  private:
    struct Source;
    std::unique_ptr<CControlUI> Build(const std::string& text, const std::string& name, int depth);
    std::unique_ptr<CControlUI> BuildControl(const pugi::xml_node& node, const Source& source,
                                             int depth);
    std::unique_ptr<CControlUI> MakeControl(const std::string& tag);
    void ApplyAttributes(CControlUI& control, const std::string& tag, const pugi::xml_node& node,
                         const Source& source);
    void Error(const Source& source, const pugi::xml_node& node, const std::string& message);
    std::string Resolve(std::string_view fileOrResource) const;
    void ResetBudget();

    IDialogBuilderCallback* callback_ = nullptr;
    CPaintManagerUI* manager_ = nullptr;
    std::vector<std::string> errors_;
    size_t elementsBuilt_ = 0;
    size_t bytesParsed_ = 0;
    // The included files of the layout being built, read once each.
    std::map<std::string, std::optional<std::string>> includes_;
    int includeDepth_ = 0;
    bool overBudget_ = false;
};

}  // namespace marlo::ui
