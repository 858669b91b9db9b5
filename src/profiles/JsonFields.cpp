#include "profiles/JsonFields.h"

#include <cmath>
#include <limits>

namespace marlo::profiles {
namespace {

const Json::Value& Null() {
    static const Json::Value null;
    return null;
}

}  // namespace

const Json::Value& JsonFields::Member(const Json::Value& object, std::string_view name) {
    if (!object.isObject()) {
        return Null();
    }
    const Json::Value* member = object.find(name.data(), name.data() + name.size());
    return member != nullptr ? *member : Null();
}

const Json::Value& JsonFields::Element(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size()) {
        return Null();
    }
    return array[index];
}

int64_t JsonFields::IntOf(const Json::Value& v) {
    if (v.isBool()) {
        return v.asBool() ? 1 : 0;
    }
    if (v.isInt64()) {
        return v.asInt64();
    }
    if (v.isUInt64()) {
        return static_cast<int64_t>(v.asUInt64());
    }
    if (v.isDouble()) {
        const double d = v.asDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9.0e18) {
            return 0;
        }
        return static_cast<int64_t>(d);
    }
    return 0;
}

int64_t JsonFields::Int(const Json::Value& object, std::string_view name) {
    return IntOf(Member(object, name));
}

uint8_t JsonFields::Flag(const Json::Value& object, std::string_view name) {
    return Int(object, name) != 0 ? 1 : 0;
}

std::string JsonFields::String(const Json::Value& object, std::string_view name) {
    const Json::Value& v = Member(object, name);
    return v.isString() ? v.asString() : std::string();
}

Json::Value& JsonFields::ObjectMember(Json::Value& object, std::string_view name) {
    if (!object.isObject()) {
        object = Json::Value(Json::objectValue);
    }
    Json::Value& member = object[std::string(name)];
    if (!member.isObject()) {
        member = Json::Value(Json::objectValue);
    }
    return member;
}

Json::Value& JsonFields::ArrayMember(Json::Value& object, std::string_view name) {
    if (!object.isObject()) {
        object = Json::Value(Json::objectValue);
    }
    Json::Value& member = object[std::string(name)];
    if (!member.isArray()) {
        member = Json::Value(Json::arrayValue);
    }
    return member;
}

Json::Value* JsonFields::ElementToWrite(Json::Value& array, Json::ArrayIndex index) {
    if (index > kMaxIndex) {
        return nullptr;
    }
    if (!array.isArray()) {
        array = Json::Value(Json::arrayValue);
    }
    return &array[index];
}

void JsonFields::Set(Json::Value& object, std::string_view name, Json::Value value) {
    if (!object.isObject()) {
        object = Json::Value(Json::objectValue);
    }
    object[std::string(name)] = std::move(value);
}

}  // namespace marlo::profiles
