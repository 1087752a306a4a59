#include "install/contained_path.h"

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

// Checks every name of a path; empty names only when allowed.
bool NamesAreHarmless(const char* path, bool allowEmpty) {
  if (strchr(path, ':') != nullptr) return false;
  const char* name = path;
  for (;;) {
    size_t n = 0;
    while (name[n] != '\0' && !IsSeparator(name[n])) ++n;
    if (n == 0 && !allowEmpty) return false;
    if (IsDotName(name, n) || IsDeviceName(name, n)) return false;
    if (name[n] == '\0') return true;
    name += n + 1;
  }
}

}  // namespace

bool IsContainedPath(const char* relative) {
  if (relative == nullptr || relative[0] != '\\') return false;
  return NamesAreHarmless(relative + 1, false);
}

bool JoinContainedPath(char* out, size_t size, const char* base, const char* relative) {
  TextCopy(out, size, base);
  size_t n = TextAppend(out, size, relative);
  if (base == nullptr || base[0] == '\0' || !IsContainedPath(relative)) return false;
  return n == strlen(base) + strlen(relative);
}

bool IsHarmlessDirectoryValue(const char* value) {
  return value != nullptr && NamesAreHarmless(value, true);
}
