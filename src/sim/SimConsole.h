#pragma once

#include <string>
#include <string_view>

#include "sim/SimServer.h"

namespace marlo::sim {

// The simulator's command language, shared by its terminal and its control socket:
//   plug KIND [NAME] | unplug NAME | event NAME CODE | fault NAME KIND [COUNT]
//   link NAME on|off (a receiver reaches its keyboard or not)
//   dump NAME | list | paths | help | quit
// Every answer is text ending in a line end: "ok ..." or "error ...", or a JSON dump.
class SimConsole {
  public:
    explicit SimConsole(SimServer& server) : server_(server) {}

    std::string Execute(std::string_view line);
    bool quitRequested() const { return quit_; }

    static const char* Help();

  private:
    SimServer& server_;
    bool quit_ = false;
};

}  // namespace marlo::sim
