#pragma once

namespace kestrum {

// A local calendar time, as the text stamp and the accounting log print it.
struct LocalTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Where the local time comes from, so that tests and `kestrum-cli jobstream --now` can fix it.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

class SystemClock final : public Clock {
  public:
    LocalTime Now() const override;
};

class FixedClock final : public Clock {
  public:
    explicit FixedClock(LocalTime time) : time_(time) {}
    LocalTime Now() const override { return time_; }

  private:
    LocalTime time_;
};

}  // namespace kestrum
