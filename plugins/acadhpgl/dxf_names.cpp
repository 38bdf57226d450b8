#include "plugins/acadhpgl/dxf_names.h"

#include <algorithm>
#include <utility>

namespace acadhpgl {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Drawing programs keep dimension definition points on this layer and never plot it.
bool IsDefinitionPointLayer(std::string_view name) {
    constexpr std::string_view kName = "defpoints";
    return name.size() == kName.size() &&
           std::equal(name.begin(), name.end(), kName.begin(),
                      [](char a, char b) { return LowerAscii(a) == b; });
}

}  // namespace

std::optional<std::uint32_t> NameIndex::Find(std::string_view name) {
    const auto found = map_.find(Key(name));
    if (found == map_.end()) return std::nullopt;
    return found->second;
}

void NameIndex::Insert(std::string_view name, std::uint32_t index) {
    map_.emplace(Key(name), index);
}

const std::string& NameIndex::Key(std::string_view name) {
    key_.resize(name.size());
    std::transform(name.begin(), name.end(), key_.begin(), LowerAscii);
    return key_;
}

LayerTable::LayerTable(std::vector<Layer>& layers) : layers_(layers) {
    layers_.clear();
    layers_.push_back(Layer{"0"});
    index_.Insert("0", 0);
}

void LayerTable::Define(std::string_view name, std::int64_t colour, std::int64_t flags,
                        bool plotted) {
    Layer& layer = layers_[Resolve(name)];
    layer.plotted = plotted && !IsDefinitionPointLayer(name);
    layer.off = colour < 0;
    // Negated only within range: the file may hold any 64-bit number here.
    const bool valid = (colour >= 1 && colour <= 255) || (colour >= -255 && colour <= -1);
    layer.colour =
        static_cast<std::int16_t>(valid ? (colour < 0 ? -colour : colour) : kDefaultLayerColour);
    layer.frozen = (flags & 1) != 0;
}

std::uint32_t LayerTable::Resolve(std::string_view name) {
    if (name.empty()) return 0;
    // Entities come in runs on one layer: the last answer is usually the right one.
    if (haveLast_ && name == lastName_) return lastIndex_;
    std::uint32_t index = 0;
    if (const std::optional<std::uint32_t> found = index_.Find(name)) {
        index = *found;
    } else {
        index = static_cast<std::uint32_t>(layers_.size());
        layers_.push_back(Layer{std::string(name)});
        layers_.back().plotted = !IsDefinitionPointLayer(name);
        index_.Insert(name, index);
    }
    lastName_ = name;
    lastIndex_ = index;
    haveLast_ = true;
    return index;
}

BlockTable::BlockTable(std::vector<Block>& blocks) : blocks_(blocks) {
    blocks_.clear();
}

std::uint32_t BlockTable::Resolve(std::string_view name) {
    if (const std::optional<std::uint32_t> found = index_.Find(name)) return *found;
    const auto index = static_cast<std::uint32_t>(blocks_.size());
    Block block;
    block.name = std::string(name);
    block.defined = false;
    blocks_.push_back(std::move(block));
    index_.Insert(name, index);
    return index;
}

std::optional<std::uint32_t> BlockTable::Define(std::string_view name) {
    const std::uint32_t index = Resolve(name);
    Block& block = blocks_[index];
    if (block.defined) return std::nullopt;
    block.defined = true;
    block.name = std::string(name);  // the definition's spelling, not a reference's
    return index;
}

}  // namespace acadhpgl
