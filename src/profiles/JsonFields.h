#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace marlo::profiles {

// Reading and writing members of documents that may hold anything: a member of the wrong
// type reads as 0 (or empty), and a container of the wrong type is replaced when written
// into, so a hostile document can neither crash the program nor grow it without bound.
class JsonFields {
  public:
    // Documents never index arrays beyond this: an index taken from a document or a caller
    // above it is refused rather than allocating up to it.
    static constexpr Json::ArrayIndex kMaxIndex = 4096;

    // The member of an object, or null when `object` is not an object or lacks it.
    static const Json::Value& Member(const Json::Value& object, std::string_view name);
    // Element `index` of an array, or null.
    static const Json::Value& Element(const Json::Value& array, Json::ArrayIndex index);

    // An integer member, 0 when missing or not a number; doubles are truncated, booleans 0/1.
    static int64_t Int(const Json::Value& object, std::string_view name);
    static int64_t IntOf(const Json::Value& value);
    static uint8_t Byte(const Json::Value& object, std::string_view name) {
        return static_cast<uint8_t>(Int(object, name));
    }
    static uint16_t U16(const Json::Value& object, std::string_view name) {
        return static_cast<uint16_t>(Int(object, name));
    }
    static int32_t I32(const Json::Value& object, std::string_view name) {
        return static_cast<int32_t>(Int(object, name));
    }
    // A member read as a boolean: any non-zero number, or true.
    static uint8_t Flag(const Json::Value& object, std::string_view name);
    static std::string String(const Json::Value& object, std::string_view name);

    // The member `name` of `object` as an object (or array) to write into: `object` becomes an
    // object when it is not one, and the member is replaced when it has another type.
    static Json::Value& ObjectMember(Json::Value& object, std::string_view name);
    static Json::Value& ArrayMember(Json::Value& object, std::string_view name);
    // Element `index` of `array` (made an array when it is not one); nothing above kMaxIndex.
    static Json::Value* ElementToWrite(Json::Value& array, Json::ArrayIndex index);
    // Sets a member of `object` (made an object when it is not one).
    static void Set(Json::Value& object, std::string_view name, Json::Value value);
};

}  // namespace marlo::profiles
