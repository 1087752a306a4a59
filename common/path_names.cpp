#include "common/path_names.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/device_name.h"

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// "..", "...", ". ." and the like: Windows may read any of them as a step
// up once trailing dots and blanks are dropped.
bool IsDotName(const char* name, size_t n) {
  if (n == 0) return false;
  for (size_t i = 0; i < n; ++i)
    if (name[i] != '.' && name[i] != ' ') return false;
  return true;
}

// The one walk over the names of a path. `rootDots`: a name of dots and
// blanks other than ".." passes (IsSafeRootName). `closingSeparator`: one
// separator may end the path (a folder written "\Bin\" is the folder Bin).
bool NamesAreHarmless(const char* path, bool rootDots, bool closingSeparator) {
  if (strchr(path, ':') != nullptr) return false;
  const char* name = path;
  for (;;) {
    size_t n = 0;
    while (name[n] != '\0' && !IsSeparator(name[n])) ++n;
    if (n == 0 || IsDeviceName(name, n)) return false;
    bool dotDot = n == 2 && name[0] == '.' && name[1] == '.';
    if (IsDotName(name, n) && (!rootDots || dotDot)) return false;
    if (name[n] == '\0') return true;
    if (closingSeparator && name[n + 1] == '\0') return true;
    name += n + 1;
  }
}

}  // namespace

bool IsSafeSourceName(const char* name) {
  return name != nullptr && NamesAreHarmless(name, false, false);
}

bool IsContainedPath(const char* relative) {
  if (relative == nullptr || relative[0] != '\\') return false;
  return NamesAreHarmless(relative + 1, false, false);
}

bool JoinContainedPath(char* out, size_t size, const char* base, const char* relative) {
  TextCopy(out, size, base);
  size_t n = TextAppend(out, size, relative);
  if (base == nullptr || base[0] == '\0' || !IsContainedPath(relative)) return false;
  return n == strlen(base) + strlen(relative);
}

bool IsHarmlessDirectoryValue(const char* value) {
  if (value == nullptr) return false;
  if (value[0] == '\0') return true;
  return NamesAreHarmless(value[0] == '\\' ? value + 1 : value, false, true);
}

bool IsSafeRootName(const char* root) {
  return root != nullptr && NamesAreHarmless(root, true, false);
}
