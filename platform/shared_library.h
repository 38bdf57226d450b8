#pragma once

// A shared library loaded at run time, unloaded when the object goes.

#include <string>

#include "platform/result.h"

namespace kestrum {

class SharedLibrary {
  public:
    // The library at `path` with its symbols resolved now, so that a library with unresolved
    // dependencies fails here rather than at its first call.
    static Result<SharedLibrary> Open(const std::string& path);

    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }

    // The address of an exported symbol, or null when the library does not export it.
    void* Symbol(const char* name) const;

  private:
    SharedLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

    void* handle_ = nullptr;
    std::string path_;
};

// The folder that holds the running program's executable, or empty when it cannot be found.
std::string ExecutableFolder();

}  // namespace kestrum
