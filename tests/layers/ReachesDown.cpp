// Built by the layer check: the transport may use the platform layer below it.
#include "hid/HidPath.h"
#include "platform/Event.h"

int main() {
    return marlo::platform::kInfinite == 0 ? 1 : 0;
}
