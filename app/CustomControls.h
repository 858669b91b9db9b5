#pragma once

namespace marlo::app {

// Registers the program's own control classes with the toolkit's control factory, in the
// order the program has always registered them, so a skin element of one of these classes is
// built as that class. Classes of panels that do not exist yet are left out.
void RegisterCustomControls();

}  // namespace marlo::app
