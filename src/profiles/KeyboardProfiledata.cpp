#include "profiles/KeyboardProfiledata.h"

#include "profiles/JsonFields.h"

namespace marlo::profiles {

using F = JsonFields;

namespace {

void WriteZeroColor(Json::Value& element) {
    element = Json::Value(Json::objectValue);
    element["Red"] = 0;
    element["Green"] = 0;
    element["Blue"] = 0;
    element["Alpha"] = 0;
}

}  // namespace

KeyboardSystemStages CKeyboardProfiledata::GetKeyboardSystemStages() {
    const Json::Value& s = F::Member(primaryTree(), "SystemStages");
    stages_.repeat = F::U16(s, "Repeat");
    stages_.repeatDelay = F::U16(s, "RepeatDelay");
    stages_.key6Flag = F::U16(s, "Key6Flag");
    stages_.pollingRate = F::U16(s, "PollingRate");
    stages_.wFlag = F::U16(s, "WFlag");
    stages_.winFlag = F::U16(s, "WinFlag");
    return stages_;
}

void CKeyboardProfiledata::SetKeyboardSystemStages(const KeyboardSystemStages& stages) {
    stages_ = stages;
    Json::Value& s = SectionToWrite("SystemStages");
    s["Repeat"] = stages.repeat;
    s["RepeatDelay"] = stages.repeatDelay;
    s["Key6Flag"] = stages.key6Flag;
    s["PollingRate"] = stages.pollingRate;
    s["WFlag"] = stages.wFlag;
    s["WinFlag"] = stages.winFlag;
}

std::vector<CustomLightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    customColors_.clear();
    if (group < 0 || group >= kMaxCustomGroups || count < 0 || count > kMaxCustomKeys) {
        return customColors_;
    }
    Json::Value& info = F::ArrayMember(SectionToWrite("CustomLightMode"), "LightColorInfo");
    Json::Value& colors = *F::ElementToWrite(info, static_cast<Json::ArrayIndex>(group));
    if (!colors.isArray()) {
        colors = Json::Value(Json::arrayValue);
    }
    for (int i = 0; i < count; ++i) {
        Json::Value& e = colors[static_cast<Json::ArrayIndex>(i)];
        CustomLightColor c;
        if (!e.isObject()) {
            WriteZeroColor(e);  // completed in the tree; it reaches the file on the next save
        } else {
            c.red = F::Byte(e, "Red");
            c.green = F::Byte(e, "Green");
            c.blue = F::Byte(e, "Blue");
            c.alpha = F::Byte(e, "Alpha");
            c.isBright = F::Byte(e, "IsBright");
        }
        customColors_.push_back(c);
    }
    return customColors_;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<CustomLightColor>& colors,
                                                int group) {
    customColors_ = colors;
    if (group < 0 || group >= kMaxCustomGroups) {
        return;
    }
    Json::Value& info = F::ArrayMember(SectionToWrite("CustomLightMode"), "LightColorInfo");
    Json::Value& list = *F::ElementToWrite(info, static_cast<Json::ArrayIndex>(group));
    if (!list.isArray()) {
        list = Json::Value(Json::arrayValue);
    }
    for (size_t i = 0; i < colors.size() && i < kMaxCustomKeys; ++i) {
        Json::Value& e = list[static_cast<Json::ArrayIndex>(i)];
        if (!e.isObject()) {
            e = Json::Value(Json::objectValue);
        }
        e["Red"] = colors[i].red;
        e["Green"] = colors[i].green;
        e["Blue"] = colors[i].blue;
        e["Alpha"] = colors[i].alpha;
        e["IsBright"] = colors[i].isBright;
    }
}

int CKeyboardProfiledata::GetCustomLightGroup() {
    customGroup_ = static_cast<int>(
        F::Int(F::Member(primaryTree(), "CustomLightMode"), "CustomLightModeGroupIndex"));
    return customGroup_;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group) {
    customGroup_ = group;
    SectionToWrite("CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

}  // namespace marlo::profiles
