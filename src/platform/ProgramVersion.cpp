#include "platform/ProgramVersion.h"

namespace marlo::platform {

std::string ProgramVersion() {
    return MARLO_VERSION;
}

}  // namespace marlo::platform
