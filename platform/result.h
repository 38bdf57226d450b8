#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kestrum {

// A failure that a user can read: what failed, naming the file, printer or value concerned.
struct Error {
    std::string message;
};

// The outcome of an operation that can fail for reasons outside the program.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const Error& error() const { return std::get<Error>(state_); }

private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const { return error_; }

private:
    Error error_;
    bool ok_ = true;
};

inline Result<void> Ok() { return {}; }
inline Error Fail(std::string message) { return Error{std::move(message)}; }

}  // namespace kestrum
