#include "ui/EditUI.h"

#include <charconv>

namespace marlo::ui {
namespace {

// The byte length of the UTF-8 character that ends at `end`.
size_t LastCharLength(const std::string& text, size_t end) {
    size_t start = end;
    while (start > 0) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) {
            break;
        }
    }
    return end - start;
}

std::string Utf8(uint32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

}  // namespace

void CEditUI::SetText(std::string text) {
    CLabelUI::SetText(std::move(text));
    caret_ = GetText().size();  // the caret goes to the end, as the program's edits expect
}

void CEditUI::ClampToBounds() {
    if (!digitsOnly_ || GetText().empty()) {
        return;
    }
    int value = 0;
    const std::string text = GetText();
    std::from_chars(text.data(), text.data() + text.size(), value);
    int bounded = value;
    if (minValue_ && bounded < *minValue_)
        bounded = *minValue_;
    if (maxValue_ && bounded > *maxValue_)
        bounded = *maxValue_;
    if (bounded != value) {
        SetText(std::to_string(bounded));
        SendNotify(notify::kTextChanged);
    }
}

void CEditUI::DoEvent(TEventUI& event) {
    if (!IsEnabled() || !IsVisible()) {
        return;
    }
    std::string text = GetText();
    caret_ = std::min(caret_, text.size());
    switch (event.type) {
        case UiEventType::kButtonDown:
        case UiEventType::kButtonUp:
            SetFocus();
            return;
        case UiEventType::kKeyDown:
            if (event.key == kVkReturn) {
                SendNotify(notify::kReturn);
            } else if (event.key == kVkBack && caret_ > 0 && !readOnly_) {
                const size_t n = LastCharLength(text, caret_);
                text.erase(caret_ - n, n);
                const size_t at = caret_ - n;
                CLabelUI::SetText(text);
                caret_ = at;
                SendNotify(notify::kTextChanged);
            } else if (event.key == kVkLeft && caret_ > 0) {
                caret_ -= LastCharLength(text, caret_);
            } else if (event.key == kVkRight && caret_ < text.size()) {
                ++caret_;
                while (caret_ < text.size() &&
                       (static_cast<unsigned char>(text[caret_]) & 0xC0) == 0x80) {
                    ++caret_;
                }
            } else if (event.key == kVkHome) {
                caret_ = 0;
            } else if (event.key == kVkEnd) {
                caret_ = text.size();
            }
            return;
        case UiEventType::kChar: {
            if (readOnly_ || event.key < 0x20 ||
                (digitsOnly_ && (event.key < '0' || event.key > '9'))) {
                return;
            }
            const std::string add = Utf8(event.key);
            if (text.size() + add.size() > maxChars_) {
                return;
            }
            text.insert(caret_, add);
            const size_t at = caret_ + add.size();
            CLabelUI::SetText(text);
            caret_ = at;
            SendNotify(notify::kTextChanged);
            return;
        }
        default:
            CLabelUI::DoEvent(event);
    }
}

void CEditUI::SetAttribute(std::string_view name, std::string_view value) {
    int n = 0;
    const bool isNumber =
        std::from_chars(value.data(), value.data() + value.size(), n).ec == std::errc();
    if (name == "number" || name == "numberonly") {
        digitsOnly_ = value == "true";
    } else if (name == "readonly") {
        readOnly_ = value == "true";
    } else if (name == "minvalue" && isNumber) {
        minValue_ = n;
    } else if (name == "maxvalue" && isNumber) {
        maxValue_ = n;
    } else if (name == "maxchar" && isNumber && n > 0) {
        maxChars_ = static_cast<size_t>(n);
    }
    CLabelUI::SetAttribute(name, value);
}

}  // namespace marlo::ui
