// Windows refuses paths of MAX_PATH (260) characters or more unless they
// are in extended-length form, "\\?\C:\..." or "\\?\UNC\server\share\...",
// where the system takes the name as it stands.
#pragma once

#include <string>
#include <string_view>

namespace pelk::platform {

// The extended-length form of a full path (what GetFullPathNameW made of a
// name): "\\?\" before a drive path, "\\?\UNC\" in place of the leading
// "\\" of a UNC path.  Forward slashes become backslashes, since the system
// no longer does that for an extended name.  Names already in "\\?\" or
// device ("\\.\") form stay as they are.
inline std::u16string extendedLengthPath(std::u16string_view fullPath) {
  std::u16string path(fullPath);
  for (char16_t& c : path) c = c == u'/' ? u'\\' : c;
  if (path.starts_with(u"\\\\?\\") || path.starts_with(u"\\\\.\\")) return std::u16string(fullPath);
  if (path.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + path.substr(2);
  const bool drive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\' &&
                     ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
  return drive ? u"\\\\?\\" + path : std::u16string(fullPath);
}

}  // namespace pelk::platform
