#pragma once

namespace marlo::profiles {

// The outcome of an operation on the profile or macro list. Every refusal leaves the lists
// and the files as they were.
enum class ListResult {
    kDone,
    kLimitReached,  // 50 profiles or macros already
    kBlankName,
    kDuplicateName,
    kLastProfile,  // the only profile cannot be deleted
    kNoSelection,  // no entry at that index
    kBadImport,    // not a document of the right kind
    kUnsafeName,   // a file name from a document that would lead outside the folder
    kFileError,    // a file could not be read or written
    kBadName,      // control characters, or longer than a name may be
    kTooLarge,     // the file is larger than any document of its kind can be
};

// A sentence for the user or the command line.
const char* Describe(ListResult result);

}  // namespace marlo::profiles
