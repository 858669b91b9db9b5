#include "hid/NodeIdentityCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "hid/HidPath.h"
#include "hid/HidrawNode.h"

namespace marlo::hid {
namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

uint64_t NodeNumber(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) {
        --i;
    }
    uint64_t n = 0;
    std::from_chars(name.data() + i, name.data() + name.size(), n, 10);
    return n;
}

// Closes a directory stream.
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

std::optional<std::vector<NodeIdentityCache::Node>> NodeIdentityCache::List(
    const std::filesystem::path& root) {
    if (root != root_) {
        entries_.clear();
        root_ = root;
        folderChanged_ = {};
    }
    const std::filesystem::path folder = root / "sys/class/hidraw";
    struct stat folderStat {};
    if (stat(folder.c_str(), &folderStat) != 0) {
        entries_.clear();
        if (errno == ENOENT) {
            return std::vector<Node>();  // no hidraw class: no HID interfaces
        }
        return std::nullopt;
    }
    const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) {
        return std::nullopt;
    }
    // While the folder is unchanged, an entry with the same inode is the same device.
    const bool folderChanged = !SameTime(folderStat.st_mtim, folderChanged_);
    folderChanged_ = folderStat.st_mtim;

    std::map<std::string, Entry> seen;
    while (const dirent* d = readdir(dir.get())) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const auto cached = entries_.find(name);
        timespec changed{};
        if (cached != entries_.end() && cached->second.inode == d->d_ino) {
            if (!folderChanged) {
                seen.emplace(name, std::move(cached->second));
                continue;
            }
            struct stat st {};
            if (lstat((folder / name).c_str(), &st) == 0 &&
                SameTime(st.st_ctim, cached->second.changed)) {
                seen.emplace(name, std::move(cached->second));
                continue;
            }
        }
        struct stat st {};
        if (lstat((folder / name).c_str(), &st) != 0) {
            continue;  // gone while listed
        }
        changed = st.st_ctim;
        const auto info = HidrawNode::Read(root, name);
        if (!info) {
            continue;  // gone while listed, or not a HID node we can read
        }
        seen.emplace(name, Entry{d->d_ino, changed,
                                 Node{name, info->attributes, info->interfaceNumber,
                                      info->descriptor.collections().size()}});
    }
    entries_ = std::move(seen);

    std::vector<Node> nodes;
    nodes.reserve(entries_.size());
    for (const auto& [name, entry] : entries_) {
        nodes.push_back(entry.node);
    }
    std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
        const uint64_t na = NodeNumber(a.name);
        const uint64_t nb = NodeNumber(b.name);
        return na != nb ? na < nb : a.name < b.name;
    });
    return nodes;
}

}  // namespace marlo::hid
