#include "profiles/MouseProfiledata.h"

#include "profiles/JsonFields.h"

namespace marlo::profiles {

using F = JsonFields;

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value& section = F::Member(primaryTree(), "DPIStages");
    const Json::Value& list = F::Member(section, "StageDPIs");
    if (!list.isArray()) {
        return dpiStages_;
    }
    activeStage_ = static_cast<int>(F::Int(section, "StageActive"));
    for (Json::ArrayIndex i = 0; i < list.size() && i <= F::kMaxIndex; ++i) {
        const Json::Value& e = list[i];
        DpiStage stage;
        stage.enabled = F::Byte(e, "StageActive");
        stage.separateXY = F::Byte(e, "StageXY");
        stage.dpiX = F::U16(e, "StageDPIX");
        stage.dpiY = F::U16(e, "StageDPIY");
        stage.red = F::Byte(e, "StageColorR");
        stage.green = F::Byte(e, "StageColorG");
        stage.blue = F::Byte(e, "StageColorB");
        if (i < dpiStages_.size()) {
            dpiStages_[i] = stage;
        } else {
            dpiStages_.push_back(stage);
        }
    }
    return dpiStages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages_ = stages;
    Json::Value& list = F::ArrayMember(SectionToWrite("DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value* e = F::ElementToWrite(list, static_cast<Json::ArrayIndex>(i));
        if (e == nullptr) {
            break;
        }
        if (!e->isObject()) {
            *e = Json::Value(Json::objectValue);
        }
        (*e)["StageActive"] = stages[i].enabled;
        (*e)["StageColorB"] = stages[i].blue;
        (*e)["StageColorG"] = stages[i].green;
        (*e)["StageColorR"] = stages[i].red;
        (*e)["StageXY"] = stages[i].separateXY;
        (*e)["StageDPIX"] = stages[i].dpiX;
        (*e)["StageDPIY"] = stages[i].dpiY;
    }
}

void CMouseProfiledata::SetActiveStage(int index) {
    activeStage_ = index;
    SectionToWrite("DPIStages")["StageActive"] = index;
}

MouseSystemStages CMouseProfiledata::GetMouseSystemStages() {
    const Json::Value& s = F::Member(primaryTree(), "SystemStages");
    systemStages_.doubleClickTime = F::U16(s, "DoubleClickTime");
    systemStages_.mouseSpeed = F::U16(s, "MouseSpeed");
    systemStages_.pointerPrecision = F::U16(s, "PointerPrecision");
    systemStages_.scrollPage = F::U16(s, "ScorllPage");
    systemStages_.wheelScrollLines = F::U16(s, "WheelScorlllinse");
    const Json::Value& report = F::Member(primaryTree(), "ReportStages");
    systemStages_.reportRateStage = report.isNull() ? 0 : F::U16(report, "StageActive");
    return systemStages_;
}

void CMouseProfiledata::SetMouseSystemStages(const MouseSystemStages& stages) {
    systemStages_ = stages;
    Json::Value& s = SectionToWrite("SystemStages");
    s["DoubleClickTime"] = stages.doubleClickTime;
    s["MouseSpeed"] = stages.mouseSpeed;
    s["PointerPrecision"] = stages.pointerPrecision;
    s["ScorllPage"] = stages.scrollPage;
    s["WheelScorlllinse"] = stages.wheelScrollLines;
    SectionToWrite("ReportStages")["StageActive"] = stages.reportRateStage;
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectEntries() {
    corrections_.clear();
    const Json::Value& list = F::Member(primaryTree(), "CorrectInfo");
    for (Json::ArrayIndex i = 0; list.isArray() && i < list.size() && i <= F::kMaxIndex; ++i) {
        const Json::Value& e = list[i];
        corrections_.push_back(CorrectEntry{F::Byte(e, "CorrectPixThresh"),
                                            F::Byte(e, "CorrectMinSq"), F::Byte(e, "CorrectSelect"),
                                            F::String(e, "CorrectName")});
    }
    return corrections_;
}

}  // namespace marlo::profiles
