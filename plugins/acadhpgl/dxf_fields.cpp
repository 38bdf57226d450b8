#include "plugins/acadhpgl/dxf_fields.h"

#include <cmath>

namespace acadhpgl {

void DxfFields::Reset(std::string_view kind) {
    kind_ = kind;
    pairs_.clear();
    for (std::uint16_t code : touched_) first_[code] = 0;
    touched_.clear();
    embedded_ = false;
    embeddedPairs_.clear();
    bad_ = false;
}

void DxfFields::Add(const DxfPair& pair) {
    // Group 101 opens an embedded object (newer paragraph texts keep their column layout
    // there) that reuses the record's own codes with other meanings. Left unread, its values
    // can never stand in for fields the record itself left out.
    if (pair.code == 101) embedded_ = true;
    if (embedded_) {
        embeddedPairs_.push_back(pair);
        return;
    }
    pairs_.push_back(pair);
    if (pair.code >= 0 && pair.code < kIndexedCodes && first_[pair.code] == 0) {
        first_[pair.code] = static_cast<std::uint32_t>(pairs_.size());
        touched_.push_back(static_cast<std::uint16_t>(pair.code));
    }
}

const DxfPair* DxfFields::First(int code) const {
    if (code >= 0 && code < kIndexedCodes) {
        const std::uint32_t index = first_[code];
        return index == 0 ? nullptr : &pairs_[index - 1];
    }
    for (const DxfPair& pair : pairs_) {
        if (pair.code == code) return &pair;
    }
    return nullptr;
}

bool DxfFields::Has(int code) const {
    return First(code) != nullptr;
}

double DxfFields::Real(int code, double fallback) {
    const DxfPair* pair = First(code);
    if (pair == nullptr) return fallback;
    const std::optional<double> value = pair->Real();
    if (!value || !std::isfinite(*value)) {
        bad_ = true;
        return fallback;
    }
    return *value;
}

std::int64_t DxfFields::Integer(int code, std::int64_t fallback) {
    const DxfPair* pair = First(code);
    if (pair == nullptr) return fallback;
    const std::optional<std::int64_t> value = pair->Integer();
    if (!value) {
        bad_ = true;
        return fallback;
    }
    return *value;
}

std::string_view DxfFields::Text(int code) const {
    const DxfPair* pair = First(code);
    return pair == nullptr ? std::string_view() : pair->text;
}

}  // namespace acadhpgl
