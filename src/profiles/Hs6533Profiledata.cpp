#include "profiles/Hs6533Profiledata.h"

#include "profiles/NameRules.h"

#include "profiles/JsonFields.h"

namespace marlo::profiles {

using F = JsonFields;

HeadsetSystemSetStages CHs6533Profiledata::GetHeadsetSystemSetStages() {
    const Json::Value& s = F::Member(primaryTree(), "SystemSetStages");
    stages_.magicEnable = F::I32(s, "MagicEnable");
    stages_.magicType = F::I32(s, "MagicType");
    stages_.eqType = F::I32(s, "EqType");
    stages_.customEqSelectIndex = F::I32(s, "CustomEqSeletIndex");
    stages_.micInSelect = F::I32(s, "MicInSelect");
    stages_.micInValue = F::I32(s, "MicInValue");
    stages_.micMonitorSelect = F::I32(s, "MicMoniterSelect");
    stages_.micMonitorValue = F::I32(s, "MicMoniterValue");
    return stages_;
}

void CHs6533Profiledata::SetHeadsetSystemSetStages(const HeadsetSystemSetStages& stages) {
    stages_ = stages;
    Json::Value& s = SectionToWrite("SystemSetStages");
    s["MagicEnable"] = stages.magicEnable;
    s["MagicType"] = stages.magicType;
    s["EqType"] = stages.eqType;
    s["CustomEqSeletIndex"] = stages.customEqSelectIndex;
    s["MicInSelect"] = stages.micInSelect;
    s["MicInValue"] = stages.micInValue;
    s["MicMoniterSelect"] = stages.micMonitorSelect;
    s["MicMoniterValue"] = stages.micMonitorValue;
}

int CHs6533Profiledata::EqSlot(int type) {
    if (type == kCustomEqType) {
        return -1;
    }
    return type >= 1 && type <= 12 ? type : 1;
}

std::vector<int32_t> CHs6533Profiledata::BandsOf(std::string_view section, int index) {
    std::vector<int32_t> values;
    if (index < 0 || index > static_cast<int>(F::kMaxIndex)) {
        return values;
    }
    Json::Value& presets = F::ArrayMember(primary(), section);
    Json::Value& bands = *F::ElementToWrite(presets, static_cast<Json::ArrayIndex>(index));
    if (!bands.isArray()) {
        bands = Json::Value(Json::arrayValue);
    }
    for (Json::ArrayIndex b = 0; b < kBands; ++b) {
        Json::Value& band = bands[b];
        if (!band.isObject() || !band.isMember("value")) {
            band = Json::Value(Json::objectValue);
            band["value"] = 0;  // completed in the tree; it reaches the file on the next save
        }
        values.push_back(static_cast<int32_t>(F::Int(band, "value")));
    }
    return values;
}

void CHs6533Profiledata::WriteBands(std::string_view section, int index,
                                    const std::vector<int32_t>& values) {
    if (index < 0 || index > static_cast<int>(F::kMaxIndex)) {
        return;
    }
    Json::Value& presets = F::ArrayMember(primary(), section);
    Json::Value& bands = *F::ElementToWrite(presets, static_cast<Json::ArrayIndex>(index));
    if (!bands.isArray()) {
        bands = Json::Value(Json::arrayValue);
    }
    for (size_t b = 0; b < values.size() && b < kBands; ++b) {
        Json::Value& band = bands[static_cast<Json::ArrayIndex>(b)];
        if (!band.isObject()) {
            band = Json::Value(Json::objectValue);
        }
        band["value"] = values[b];
    }
}

std::vector<int32_t> CHs6533Profiledata::GetEqValues(int type) {
    const int slot = EqSlot(type);
    eqValues_ = slot < 0 ? std::vector<int32_t>() : BandsOf("EQHzValueInfo", slot);
    return eqValues_;
}

void CHs6533Profiledata::SetEqValues(int type, const std::vector<int32_t>& values) {
    const int slot = EqSlot(type);
    if (slot >= 0) {
        WriteBands("EQHzValueInfo", slot, values);
    }
}

std::vector<int32_t> CHs6533Profiledata::GetCustomEqValues(int number) {
    if (number < 0 || number >= kMaxCustomPresets) {
        return {};
    }
    return BandsOf("CustomEQHzValueInfo", number);
}

void CHs6533Profiledata::SetCustomEqValues(int number, const std::vector<int32_t>& values) {
    if (number >= 0 && number < kMaxCustomPresets) {
        WriteBands("CustomEQHzValueInfo", number, values);
    }
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() {
    std::vector<std::string> names;
    const Json::Value& list = F::Member(primaryTree(), "CustomEQNameInfo");
    for (Json::ArrayIndex i = 0; list.isArray() && i < list.size() && i <= F::kMaxIndex; ++i) {
        names.push_back(F::String(list[i], "Name"));
    }
    return names;
}

bool CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!name.empty() && !NameRules::IsAcceptable(name)) {
            return false;
        }
    }
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value e(Json::objectValue);
        e["Name"] = name;
        list.append(e);
    }
    F::Set(primary(), "CustomEQNameInfo", list);
    return true;
}

}  // namespace marlo::profiles
