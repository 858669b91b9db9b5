// The endpoint's request reader, fed as a socket would: the input arrives in pieces whose sizes
// come from the input itself. Whatever the pieces, the outcome is the same as reading the whole
// text at once, and a request read back from its own text is the same request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/EndpointReader.h"

using marlo::platform::EndpointReader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const size_t step = 1 + data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    EndpointReader reader;
    for (size_t pos = 0; pos < text.size() && reader.state() == EndpointReader::State::kIncomplete;
         pos += step) {
        reader.Feed(text.substr(pos, step));
    }
    EndpointReader whole;
    whole.Feed(text);
    if (whole.state() != reader.state()) {
        std::abort();
    }
    if (reader.state() == EndpointReader::State::kComplete) {
        const auto again = EndpointReader::Parse(EndpointReader::Format(reader.request()));
        if (!again || again->window != reader.request().window ||
            again->message != reader.request().message || again->data != reader.request().data ||
            again->wParam != reader.request().wParam || again->lParam != reader.request().lParam) {
            std::abort();
        }
    }
    return 0;
}
