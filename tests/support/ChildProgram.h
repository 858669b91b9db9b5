#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace marlo::test {

// A program of the project started as a person's session would start it: on Qt's offscreen
// platform, with the XDG folders of `dir` (run/, data/, config/), its output dropped.
pid_t LaunchProgram(const std::string& program, const std::vector<std::string>& args,
                    const TempDir& dir);
// Waits for it to end: its exit status, or -1 when it did not exit normally.
int WaitProgram(pid_t pid);

}  // namespace marlo::test
