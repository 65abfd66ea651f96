// Non-copyable owners for what the plugin must hand back to the system by hand.
#pragma once
#include <windows.h>
#include <cstddef>

// A zero-filled LocalAlloc buffer for one call: window texts, INI values, list items.
class LocalBuffer {
  public:
    explicit LocalBuffer(size_t bytes)
        : p_(static_cast<char*>(LocalAlloc(LPTR, bytes ? bytes : 1))), size_(p_ ? bytes : 0) {}
    ~LocalBuffer() {
        if (p_) LocalFree(p_);
    }
    LocalBuffer(const LocalBuffer&) = delete;
    LocalBuffer& operator=(const LocalBuffer&) = delete;

    char* get() const { return p_; }
    size_t size() const { return size_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    char* p_;
    size_t size_;
};

// A library loaded for the duration of one call.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const char* name) : h_(LoadLibraryA(name)) {}
    ~LoadedLibrary() {
        if (h_) FreeLibrary(h_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    HMODULE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    HMODULE h_;
};
