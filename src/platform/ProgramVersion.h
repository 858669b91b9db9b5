#pragma once

#include <string>

namespace marlo::platform {

// The version of the programs of this project ("0.1.0"), as the build was told it.
std::string ProgramVersion();

}  // namespace marlo::platform
