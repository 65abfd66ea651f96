// The plugin keeps what clients show in UTF-8, while the tests' plain literals are the ANSI code
// page: texts a client shows are expected as u8 literals.
#pragma once
#include <string>

inline std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}
