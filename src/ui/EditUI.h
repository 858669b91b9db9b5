#pragma once

#include <optional>

#include "ui/LabelUI.h"

namespace marlo::ui {

// A one-line text box. "textchanged" after each change by the user; "return" on Enter. With
// "number" it takes digits only, and "minvalue"/"maxvalue" bound the number when it loses
// focus. The caret is a byte position in the UTF-8 text.
class CEditUI : public CLabelUI {
  public:
    std::string_view GetClass() const override { return "EditUI"; }
    bool IsFocusable() const override { return true; }

    void SetText(std::string text) override;
    bool IsDigitsOnly() const { return digitsOnly_; }
    void SetDigitsOnly(bool on) { digitsOnly_ = on; }
    void SetMinValue(int value) { minValue_ = value; }
    void SetMaxValue(int value) { maxValue_ = value; }
    std::optional<int> GetMinValue() const { return minValue_; }
    std::optional<int> GetMaxValue() const { return maxValue_; }
    size_t GetCaret() const { return caret_; }
    void SetSelAllAndCaretEnd() { caret_ = GetText().size(); }
    void SetMaxChar(size_t n) { maxChars_ = n; }
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    // Brings a number inside the bounds; called when the edit loses focus.
    void ClampToBounds();

  private:
    bool digitsOnly_ = false;
    bool readOnly_ = false;
    std::optional<int> minValue_;
    std::optional<int> maxValue_;
    size_t caret_ = 0;
    size_t maxChars_ = 255;
};

// A multi-line text box with the same editing.
class CRichEditUI : public CEditUI {
  public:
    std::string_view GetClass() const override { return "RichEditUI"; }
};

}  // namespace marlo::ui
