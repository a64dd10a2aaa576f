// The C library's text for an error code, through the POSIX (XSI) form of
// strerror_r, which every C library has and which says when it has no text
// for a code.
#pragma once

#include <cstddef>

namespace pelk::platform {

// Fills `buffer` with the text for `code` and returns true; returns false
// when the library has no text of its own for it.
bool systemErrorText(int code, char* buffer, std::size_t size);

}  // namespace pelk::platform
