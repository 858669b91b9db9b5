// Built by the layer check, and must not compile: the transport may not reach up into the
// toolkit or the profiles.
#include "hid/HidPath.h"
#include "ui/UIDefs.h"

int main() {
    return 0;
}
