#include "profiles/ListResult.h"

namespace marlo::profiles {

const char* Describe(ListResult result) {
    switch (result) {
        case ListResult::kDone:
            return "done";
        case ListResult::kLimitReached:
            return "the list already holds 50 entries";
        case ListResult::kBlankName:
            return "the name is blank";
        case ListResult::kDuplicateName:
            return "another entry already has that name";
        case ListResult::kLastProfile:
            return "the only profile cannot be deleted";
        case ListResult::kNoSelection:
            return "there is no entry at that position";
        case ListResult::kBadImport:
            return "the file is not a document of this kind";
        case ListResult::kUnsafeName:
            return "the list names a file outside the device's folder";
        case ListResult::kFileError:
            return "a file could not be read or written";
        case ListResult::kBadName:
            return "a name may hold at most 64 bytes and no control characters";
        case ListResult::kTooLarge:
            return "the file is larger than any document of its kind can be";
    }
    return "unknown result";
}

}  // namespace marlo::profiles
