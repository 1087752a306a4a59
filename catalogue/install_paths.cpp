#include "install/install_paths.h"

#include <cstring>

#include "catalogue/catalogue_names.h"

bool JoinWhole(char* out, size_t size, const char* a, const char* b, const char* c, const char* d) {
  if (size == 0) return false;
  const char* parts[4] = {a, b, c, d};
  size_t len = 0;
  for (const char* part : parts) {
    if (part == nullptr) continue;
    size_t n = strlen(part);
    if (n >= size - len) {
      out[0] = '\0';
      return false;
    }
    memmove(out + len, part, n);
    len += n;
  }
  out[len] = '\0';
  return true;
}

bool FormatInstallRoot(char* out, size_t size, int drive, const char* root) {
  const char drivePart[4] = {DriveLetter(drive), ':', '\\', '\0'};
  return JoinWhole(out, size, drivePart, root);
}

bool FormatSystemFolder(char* out, size_t size, int drive, const char* root) {
  const char drivePart[4] = {DriveLetter(drive), ':', '\\', '\0'};
  return JoinWhole(out, size, drivePart, root, "\\ZeltaWin32");
}

bool FormatInstalledExecutable(char* out, size_t size, int drive, const char* root) {
  const char drivePart[4] = {DriveLetter(drive), ':', '\\', '\0'};
  return JoinWhole(out, size, drivePart, root, "\\ZeltaWin32", "\\ZeltaWin32.exe");
}
