#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kestrum {

// What kind of thing failed, so that a front end can choose how to show it (an icon, an exit
// code, a bus error name) without parsing the text.
enum class ErrorKind {
    General,  // no finer kind applies
    Input,    // a value, option or name the user gave
    File,     // reading or writing a file or folder
    Printer,  // a printer queue or the spooler
    Library,  // a library the program loads (the renderer)
};

// A failure that a user can read: what failed, naming the file, printer or value concerned.
// Every front end shows `message` once; the desktop program in a message box, kestrum-cli on
// standard error.
struct Error {
    std::string message;  // the full text, detail included
    int resource = 0;     // the string-table number the text starts with; 0 if composed
    ErrorKind kind = ErrorKind::General;
    // Set when the failure's parts already reached the user through the message sink handed to
    // the call that failed (a configuration save reports each refused key as it happens); the
    // caller then shows nothing more.
    bool shown = false;
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

inline Result<void> Ok() {
    return {};
}
inline Error Fail(std::string message) {
    return Error{std::move(message)};
}
inline Error Fail(ErrorKind kind, std::string message) {
    return Error{std::move(message), 0, kind};
}

}  // namespace kestrum
