#!/usr/bin/env bash
# clang-tidy over the Windows backend, as the mingw-w64 cross compiler sees
# it: its target, its C++ library headers and the Windows headers, taken
# from the compiler itself.  GCC's own intrinsics headers are left out:
# clang brings its own.
#   tests/tidy-windows.sh build/windows
set -euo pipefail
build=${1:?usage: tests/tidy-windows.sh build/windows}
compiler=x86_64-w64-mingw32-g++-posix
args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
while read -r folder; do
  args+=("--extra-arg=-isystem$folder")
done < <(echo | "$compiler" -x c++ -E -v - 2>&1 |
         sed -n '/#include <...> search starts here/,/End of search/{/^ /s/^ //p}' |
         grep -Ev '/include(-fixed)?$' || true)
args+=("--extra-arg=-isystem$(dirname "$(command -v "$compiler")")/../x86_64-w64-mingw32/include")
clang-tidy -p "$build" --quiet "${args[@]}" src/platform/windows/*.cpp
