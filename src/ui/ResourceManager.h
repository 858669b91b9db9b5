#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace marlo::ui {

class CControlUI;

// Lets the program supply texts for controls itself before the language file is asked.
class IQueryControlText {
  public:
    virtual ~IQueryControlText() = default;
    // Empty when the program has no text of its own for this identifier.
    virtual std::string QueryControlText(std::string_view id, const CControlUI* control) = 0;
};

// The skin's resource list (res.xml: name → layout file) and the language texts. A language
// file is XML, one element per text identifier:
//   <Language name="en_US"><Text id="message_text_7">Not enough macro memory</Text></Language>
class CResourceManager {
  public:
    static CResourceManager& GetInstance();

    // Reads <Res><Xml name="XML_MAIN" file="main.xml"/>…</Res>; false when it cannot.
    bool LoadResource(const std::string& resXmlPath);
    // The file of a resource name, under the resource path; empty when unknown.
    std::string GetXmlPath(std::string_view name) const;

    void SetLanguage(const std::string& name) { language_ = name; }
    const std::string& GetLanguage() const { return language_; }
    // Reads a language file (relative names are under the resource path's "lang/"); the
    // texts replace the current ones. False (and the texts stay) when it cannot be read.
    bool LoadLanguage(const std::string& file);
    // The text of an identifier: the query interface's, else the language's, else the id.
    std::string GetText(std::string_view id, const CControlUI* control = nullptr) const;
    // The current language's text of an identifier; nothing when the language has none.
    std::optional<std::string> FindText(std::string_view id) const;
    // Re-texts every control of every window whose resource-text flag is set.
    void ReloadText();
    void SetTextQueryInterface(IQueryControlText* query) { query_ = query; }

    // Forgets the resource list, the texts and the query interface.
    void Release();

  private:
    std::map<std::string, std::string, std::less<>> resources_;
    std::map<std::string, std::string, std::less<>> texts_;
    std::string language_;
    IQueryControlText* query_ = nullptr;
};

}  // namespace marlo::ui
