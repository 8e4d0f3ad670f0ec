// Lookup and edits on the in-memory registry tree.
#include "typelib/posix/reg_tree.h"

namespace tessivar {

const RegNode* RegNode::find(std::string_view path) const {
    const RegNode* node = this;
    while (!path.empty()) {
        const std::size_t cut = path.find('\\');
        const std::string_view name = path.substr(0, cut);
        if (name.empty()) return nullptr;
        const auto it = node->subkeys.find(name);
        if (it == node->subkeys.end()) return nullptr;
        node = it->second.get();
        if (cut == std::string_view::npos) break;
        path.remove_prefix(cut + 1);
        if (path.empty()) return nullptr;  // a trailing separator names no key
    }
    return node;
}

void RegNode::remove(std::string_view name) {
    const auto it = subkeys.find(name);
    if (it != subkeys.end()) subkeys.erase(it);
}

}  // namespace tessivar
