// This file asks for the POSIX interface alone: C++ compilers announce the
// GNU one, whose strerror_r returns a string and never says a code is
// unknown.  Nothing but C headers may come before or after, so that the
// announcement stays withdrawn.
#undef _GNU_SOURCE
#ifndef _POSIX_C_SOURCE
#define _POSIX_C_SOURCE 200809L
#endif
#include <string.h>

#include "platform/posix/error_text_posix.h"

namespace pelk::platform {
namespace {

// A code no system uses; some libraries (musl) answer every code they do
// not know with one text of their own and report success.
constexpr int kNoSuchCode = 0x7FFFFFFF;

}  // namespace

bool systemErrorText(int code, char* buffer, size_t size) {
  // POSIX lets a failing strerror_r return the error or set errno; either
  // way it does not return 0.
  if (::strerror_r(code, buffer, size) != 0) return false;
  char unknown[256];
  if (::strerror_r(kNoSuchCode, unknown, sizeof unknown) == 0 && ::strcmp(buffer, unknown) == 0) {
    return false;
  }
  return true;
}

}  // namespace pelk::platform
