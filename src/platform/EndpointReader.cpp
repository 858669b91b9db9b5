#include "platform/EndpointReader.h"

#include <optional>
#include <vector>

#include "platform/NumberText.h"

namespace marlo::platform {
namespace {

// The header lines of `text` (without their line ends) and where the bytes after them start;
// stops after `count` lines or at the first line not yet ended.
std::vector<std::string_view> Lines(std::string_view text, size_t count, size_t* after) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (lines.size() < count) {
        const size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    *after = pos;
    return lines;
}

}  // namespace

EndpointReader::State EndpointReader::Feed(std::string_view bytes) {
    if (state_ != State::kIncomplete) {
        return state_;
    }
    // Nothing longer than the longest request is kept; what is cut off could only follow a
    // complete request or make a malformed one.
    const bool cut = bytes.size() > kMaxRequest - text_.size();
    text_.append(bytes.substr(0, kMaxRequest - text_.size()));
    state_ = Examine();
    if (cut && state_ == State::kIncomplete) {
        state_ = State::kMalformed;
    }
    return state_;
}

EndpointReader::State EndpointReader::Examine() {
    size_t after = 0;
    if (Lines(text_, 1, &after).empty()) {
        return text_.size() > kMaxLine ? State::kMalformed : State::kIncomplete;
    }
    const std::string_view kind = std::string_view(text_).substr(0, after - 1);
    const bool post = kind == "post";
    if (!post && kind != "copydata") {
        return State::kMalformed;
    }
    const size_t headerLines = post ? 5 : 4;  // a block's bytes may hold line ends
    const std::vector<std::string_view> head = Lines(text_, headerLines, &after);
    // A header line may not grow past its bound, ended or not.
    if (head.size() < headerLines && text_.size() - after > kMaxLine) {
        return State::kMalformed;
    }
    for (const std::string_view line : head) {
        if (line.size() > kMaxLine) {
            return State::kMalformed;
        }
    }
    // A number is checked as soon as its line is whole.
    auto number = [&head]<typename T>(size_t line, std::optional<T>& value) {
        if (line < head.size()) {
            value = NumberText::Parse<T>(head[line]);
            return value.has_value();
        }
        return true;  // not come yet
    };
    if (post) {
        std::optional<uint64_t> wParam;
        std::optional<int64_t> lParam;
        if ((head.size() >= 3 && head[2].empty()) || !number(3, wParam) || !number(4, lParam)) {
            return State::kMalformed;
        }
        if (head.size() < 5) {
            return State::kIncomplete;
        }
        request_ = EndpointRequest{};
        request_.kind = EndpointRequest::Kind::kPost;
        request_.window = std::string(head[1]);
        request_.message = std::string(head[2]);
        request_.wParam = *wParam;
        request_.lParam = *lParam;
        consumed_ = after;
        return State::kComplete;
    }
    // copydata: four header lines, then the block.
    std::optional<uint32_t> dataKind;
    std::optional<size_t> size;
    if (!number(2, dataKind) || !number(3, size) || (size && *size > kMaxData)) {
        return State::kMalformed;
    }
    const size_t dataStart = after;
    if (head.size() < 4 || text_.size() - dataStart < *size) {
        return State::kIncomplete;
    }
    request_ = EndpointRequest{};
    request_.kind = EndpointRequest::Kind::kCopyData;
    request_.window = std::string(head[1]);
    request_.dataKind = *dataKind;
    request_.data = text_.substr(dataStart, *size);
    consumed_ = dataStart + *size;
    return State::kComplete;
}

std::optional<EndpointRequest> EndpointReader::Parse(std::string_view text) {
    EndpointReader reader;
    if (reader.Feed(text) != State::kComplete) {
        return std::nullopt;
    }
    return reader.request();
}

std::string EndpointReader::Format(const EndpointRequest& r) {
    if (r.kind == EndpointRequest::Kind::kPost) {
        return "post\n" + r.window + "\n" + r.message + "\n" + std::to_string(r.wParam) + "\n" +
               std::to_string(r.lParam) + "\n";
    }
    return "copydata\n" + r.window + "\n" + std::to_string(r.dataKind) + "\n" +
           std::to_string(r.data.size()) + "\n" + r.data;
}

}  // namespace marlo::platform
