// The drivers know nothing of the toolkit: the devices layer cannot include the UI's headers.
#include "devices/KeyboardDriver.h"
#include "ui/UIDefs.h"

int main() {
    return 0;
}
