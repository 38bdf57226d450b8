#pragma once

// The names a drawing refers to things by: layers and blocks, compared without regard to case
// (ASCII letters only, as drawing programs do). Both tables fill the Drawing's own lists, so
// an index they hand out is the entity's index into that list.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plugins/acadhpgl/drawing.h"

namespace acadhpgl {

class NameIndex {
  public:
    std::optional<std::uint32_t> Find(std::string_view name);
    void Insert(std::string_view name, std::uint32_t index);

  private:
    const std::string& Key(std::string_view name);

    std::unordered_map<std::string, std::uint32_t> map_;
    std::string key_;  // reused, so that a lookup allocates nothing once it is large enough
};

class LayerTable {
  public:
    // Empties `layers` and puts layer "0" at index 0.
    explicit LayerTable(std::vector<Layer>& layers);

    // A layer record of the table: colour 62 (negative when the layer is off), flags 70
    // (1: frozen) and the plotting flag 290 (false: never plotted). A name given twice keeps
    // the later settings.
    void Define(std::string_view name, std::int64_t colour, std::int64_t flags,
                bool plotted = true);

    // The index of the layer an entity names; no name is layer "0", and a name the table
    // lacks gets a layer of its own with the default colour. `name` must stay valid as long
    // as the table: the last answer is remembered by it.
    std::uint32_t Resolve(std::string_view name);

  private:
    std::vector<Layer>& layers_;
    NameIndex index_;
    std::string_view lastName_;
    std::uint32_t lastIndex_ = 0;
    bool haveLast_ = false;
};

class BlockTable {
  public:
    // Empties `blocks`.
    explicit BlockTable(std::vector<Block>& blocks);

    // The block an insert names. Blocks may be defined after their first use, or never: until
    // its definition comes, a name stands for a Block with defined = false.
    std::uint32_t Resolve(std::string_view name);

    // The block a BLOCK record defines, or nullopt when the name was defined before: the first
    // definition counts and later ones are read and dropped.
    std::optional<std::uint32_t> Define(std::string_view name);

    Block& operator[](std::uint32_t index) { return blocks_[index]; }

  private:
    std::vector<Block>& blocks_;
    NameIndex index_;
};

}  // namespace acadhpgl
