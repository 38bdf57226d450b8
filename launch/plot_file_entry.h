#pragma once

// One launch-list entry: a plot file, whether it is a drawing, the configuration it is sent with,
// and the settings record and reference list a launch file stores with it.
//
// The record is large (tens of kilobytes) and in a long list nearly always the same for every
// entry, so entries share one copy of it: a SharedValue is an immutable value shared by pointer,
// copied only when one holder edits it. Lists of tens of thousands of entries then cost little
// more than their texts.

#include <cstdint>
#include <memory>
#include <string>

#include "options/user_object.h"

namespace kestrum {

template <typename T>
class SharedValue {
  public:
    SharedValue() = default;
    SharedValue(T value) : value_(std::make_shared<const T>(std::move(value))) {}
    explicit SharedValue(std::shared_ptr<const T> value) : value_(std::move(value)) {}

    // A default-made T when none was set.
    const T& get() const { return value_ ? *value_ : Fresh(); }
    const T* operator->() const { return &get(); }
    const T& operator*() const { return get(); }
    // The holder's own copy to change; other holders keep theirs.
    T& edit() {
        if (!value_ || value_.use_count() > 1) value_ = std::make_shared<const T>(get());
        return const_cast<T&>(*value_);
    }
    // Whether two holders share one copy (for tests and measurements).
    bool SharesWith(const SharedValue& other) const { return value_ && value_ == other.value_; }

    friend bool operator==(const SharedValue& a, const SharedValue& b) {
        return a.value_ == b.value_ || a.get() == b.get();
    }
    friend bool operator==(const SharedValue& a, const T& b) { return a.get() == b; }

  private:
    static const T& Fresh() {
        static const T fresh{};
        return fresh;
    }

    std::shared_ptr<const T> value_;
};

struct PlotFileEntry {
    std::string filePath;
    std::int32_t isDrawing = 0;  // 1 when the renderer recognised a drawing when it was added
    std::string renderedFile;    // the temporary HP-GL file of the last send, or empty
    std::string configuration;   // a .cfg path, empty, or one of the two markers
    SharedValue<CUserObject> savedSettings;  // a fresh record in a new entry
    SharedValue<ReferenceList> savedReferences;

    bool operator==(const PlotFileEntry&) const = default;
};

}  // namespace kestrum
