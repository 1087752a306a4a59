#include "common/device_name.h"

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// ASCII letters compared without case; `upper` is in capitals.
bool SameLetters(const char* name, const char* upper, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

bool IsDeviceName(const char* name, size_t length) {
  // Windows looks at the part before the first dot, trailing blanks dropped.
  size_t n = 0;
  while (n < length && name[n] != '.') ++n;
  while (n > 0 && name[n - 1] == ' ') --n;
  if (n == 3) {
    return SameLetters(name, "CON", 3) || SameLetters(name, "PRN", 3) || SameLetters(name, "AUX", 3) ||
           SameLetters(name, "NUL", 3);
  }
  return n == 4 && (SameLetters(name, "COM", 3) || SameLetters(name, "LPT", 3)) && name[3] >= '1' &&
         name[3] <= '9';
}

bool HoldsDeviceName(const char* path) {
  if (path == nullptr) return false;
  for (const char* name = path;;) {
    size_t n = 0;
    while (name[n] != '\0' && !IsSeparator(name[n])) ++n;
    if (IsDeviceName(name, n)) return true;
    if (name[n] == '\0') return false;
    name += n + 1;
  }
}
