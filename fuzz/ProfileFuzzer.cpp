// Any bytes as a profile document, in memory: parsing it and every getter and setter of every
// device kind neither crash nor read out of bounds, and the tree they leave formats to a
// document that parses again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"
#include "profiles/DocumentFiles.h"
#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MouseProfiledata.h"

namespace {

using marlo::platform::JsonDocument;

template <typename T>
void Exercise(T& data, const Json::Value& document) {
    data.TakeProfileDocument(document);
    data.GetLightInfo();
    data.GetAudioLightInfo();
    data.GetLightList();
    data.SetKeyList(data.GetKeyList());
    data.GetLightEffectSteps();
    if (JsonDocument::Parse(JsonDocument::Format(data.primaryTree())).isNull() &&
        !data.primaryTree().isNull()) {
        std::abort();  // what a profile holds must write out as a document that reads back
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlo::profiles;
    const Json::Value document =
        JsonDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    DocumentFiles::IsProfileShape(document);

    CKeyboardProfiledata keyboard;
    Exercise(keyboard, document);
    keyboard.SetKeyboardSystemStages(keyboard.GetKeyboardSystemStages());
    const int group = keyboard.GetCustomLightGroup();
    keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 8), group);

    CMouseProfiledata mouse;
    Exercise(mouse, document);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetMouseSystemStages(mouse.GetMouseSystemStages());
    mouse.GetCorrectEntries();

    CHs6533Profiledata headset;
    Exercise(headset, document);
    const auto stages = headset.GetHeadsetSystemSetStages();
    headset.SetEqValues(stages.eqType, headset.GetEqValues(stages.eqType));
    headset.SetCustomEqValues(stages.customEqSelectIndex,
                              headset.GetCustomEqValues(stages.customEqSelectIndex));
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    return 0;
}
