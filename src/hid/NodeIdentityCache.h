#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidTypes.h"

namespace marlo::hid {

// The hidraw nodes under a root with what enumeration needs of each (identity, interface,
// number of top-level collections), kept between listings. Discovery lists every 100 ms, and
// reading and parsing every node's files each time would cost more than the rest of the
// program at rest. A node is read again only when its class entry is a new one: another
// inode in the listing, or, after the class folder itself changed, another change time.
class NodeIdentityCache {
  public:
    struct Node {
        std::string name;
        HidAttributes attributes;
        uint32_t interfaceNumber = 0;
        size_t collections = 0;
    };

    // The readable nodes in numeric order (hidraw2 before hidraw10); an empty list when there
    // is no hidraw class folder; nothing when the folder cannot be listed.
    std::optional<std::vector<Node>> List(const std::filesystem::path& root);

  private:
    struct Entry {
        ino_t inode = 0;
        timespec changed{};
        Node node;
    };

    std::filesystem::path root_;
    timespec folderChanged_{};
    std::map<std::string, Entry> entries_;
};

}  // namespace marlo::hid
