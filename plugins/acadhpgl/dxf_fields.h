#pragma once

// One record of a DXF file: the pairs from a group code 0 up to the next one, for example one
// entity or one layer. Most record kinds give each group code at most once, so they are read
// by code; those that repeat codes (polylines' vertices, splines' knots) walk pairs() in order.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "plugins/acadhpgl/dxf_pairs.h"

namespace acadhpgl {

class DxfFields {
  public:
    // Starts a new record of the given kind (the value of its group 0).
    void Reset(std::string_view kind);
    void Add(const DxfPair& pair);

    std::string_view kind() const { return kind_; }
    std::span<const DxfPair> pairs() const { return pairs_; }
    // The pairs from a group 101 on (an embedded object), which the lookups by code never see.
    std::span<const DxfPair> embedded() const { return embeddedPairs_; }
    bool Has(int code) const;

    // The first value of `code`, or `fallback` when the record lacks it. A value that is
    // present but not a finite number (or not an integer) gives `fallback` and marks the
    // record bad: callers read every field they need, then leave the record out if bad().
    double Real(int code, double fallback);
    std::int64_t Integer(int code, std::int64_t fallback);
    // The first value of `code` as text, empty when absent.
    std::string_view Text(int code) const;

    bool bad() const { return bad_; }
    void MarkBad() { bad_ = true; }

  private:
    const DxfPair* First(int code) const;

    // Codes below this are found by index; the rare higher ones by a scan.
    static constexpr int kIndexedCodes = 400;

    std::string_view kind_;
    std::vector<DxfPair> pairs_;
    std::vector<DxfPair> embeddedPairs_;
    std::array<std::uint32_t, kIndexedCodes> first_{};  // pair index + 1, 0 when absent
    std::vector<std::uint16_t> touched_;
    bool embedded_ = false;
    bool bad_ = false;
};

}  // namespace acadhpgl
