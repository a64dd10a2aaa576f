// This file asks for the POSIX interface alone: C++ compilers announce the
// GNU one, whose strerror_r returns a string and never says a code is
// unknown.  The C header must come first, before anything could bring in
// the GNU declarations.
#undef _GNU_SOURCE
#ifndef _POSIX_C_SOURCE
#define _POSIX_C_SOURCE 200809L  // NOLINT(bugprone-reserved-identifier): the standard's own macro
#endif
#include <string.h>  // NOLINT(modernize-deprecated-headers): <cstring> would not honour the macros

#include "platform/posix/error_text_posix.h"

namespace pelk::platform {
namespace {

// A code no system uses; some libraries (musl) answer every code they do
// not know with one text of their own and report success.
constexpr int kNoSuchCode = 0x7FFFFFFF;

}  // namespace

bool systemErrorText(int code, char* buffer, std::size_t size) {
  // POSIX lets a failing strerror_r return the error or set errno; either
  // way it does not return 0.
  if (::strerror_r(code, buffer, size) != 0) return false;
  char unknown[256];
  const bool catchAll = ::strerror_r(kNoSuchCode, unknown, sizeof unknown) == 0;
  return !catchAll || ::strcmp(buffer, unknown) != 0;
}

}  // namespace pelk::platform
