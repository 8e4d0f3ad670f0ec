// Lookup and edits on the in-memory registry tree.
#include "typelib/posix/reg_tree.h"

#include <algorithm>
#include <cstring>

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

RegName RegName::copyOf(std::string_view text) {
    char* copy = new char[text.size()];
    std::memcpy(copy, text.data(), text.size());
    return RegName(copy, text.size(), true);
}

StoredValue::StoredValue(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data, bool removes)
    : block_(new char[name.size() + data.size()]),
      nameSize_(static_cast<std::uint32_t>(name.size())),
      dataSize_(static_cast<std::uint32_t>(data.size())),
      type_(type),
      removes_(removes) {
    std::memcpy(block_.get(), name.data(), name.size());
    if (!data.empty()) std::memcpy(block_.get() + name.size(), data.data(), data.size());
}

StoredValue::StoredValue(std::string_view name, const RegValue& value)
    : StoredValue(name, value.type, value.data, false) {}

StoredValue StoredValue::removal(std::string_view name) { return StoredValue(name, REG_NONE, {}, true); }

RegValue StoredValue::value() const {
    RegValue v;
    v.type = type_;
    const auto* data = reinterpret_cast<const std::uint8_t*>(block_.get() + nameSize_);
    v.data.assign(data, data + dataSize_);
    return v;
}

void RegNode::settleValues() {
    std::vector<RegNode*> pending{this};  // no recursion: keys may be nested hundreds deep
    while (!pending.empty()) {
        RegNode* node = pending.back();
        pending.pop_back();
        for (auto& [name, child] : node->subkeys) pending.push_back(child.get());
        if (!node->apart || node->apart->values.empty()) continue;
        auto& lines = node->apart->values;
        std::stable_sort(lines.begin(), lines.end(),
                         [](const StoredValue& a, const StoredValue& b) { return RegNameLess()(a.name(), b.name()); });
        std::vector<StoredValue> settled;
        for (std::size_t start = 0; start < lines.size();) {
            std::size_t end = start + 1;
            while (end < lines.size() && !RegNameLess()(lines[start].name(), lines[end].name())) ++end;
            std::size_t first = start;  // the first line since the last removal
            for (std::size_t i = start; i < end; ++i)
                if (lines[i].removes()) first = i + 1;
            if (first < end) settled.emplace_back(lines[first].name(), lines[end - 1].value());
            start = end;
        }
        settled.shrink_to_fit();
        lines = std::move(settled);
    }
}

void RegNode::remove(std::string_view name) {
    const auto it = subkeys.find(name);
    if (it != subkeys.end()) subkeys.erase(it);
}

}  // namespace tessivar
