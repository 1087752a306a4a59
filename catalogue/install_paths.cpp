#include "catalogue/install_paths.h"

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"

namespace {

const char DownloadFolder[] = "Install";
const char SystemFolder[] = "\\ZeltaWin32";

// "X:\" of drive number 1 (A) ... 26 (Z).
struct DriveRootText {
  char Text[4];
};

DriveRootText DriveRoot(int drive) {
  return DriveRootText{{DriveLetter(drive), ':', '\\', '\0'}};
}

}  // namespace

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
  return JoinWhole(out, size, DriveRoot(drive).Text, root);
}

bool FormatSystemFolder(char* out, size_t size, int drive, const char* root) {
  return JoinWhole(out, size, DriveRoot(drive).Text, root, SystemFolder);
}

bool FormatInstalledExecutable(char* out, size_t size, int drive, const char* root) {
  return JoinWhole(out, size, DriveRoot(drive).Text, root, SystemFolder, "\\ZeltaWin32.exe");
}

bool FormatDownloadArea(char* out, size_t size, int drive, const char* root) {
  return JoinWhole(out, size, DriveRoot(drive).Text, root, SystemFolder, "\\Install");
}

size_t BuildLocalPath(char* out, size_t size, const char* discFolder, const char* fileName) {
  TextCopy(out, size, InstallState.BasePath);
  TextAppend(out, size, DownloadFolder);
  size_t n = TextAppend(out, size, "\\");
  if (discFolder != nullptr) n = TextAppend(out, size, discFolder);
  if (fileName != nullptr) {
    TextAppend(out, size, "\\");
    n = TextAppend(out, size, fileName);
  }
  return n;
}

bool BuildWholeLocalPath(char* out, size_t size, const char* discFolder, const char* fileName) {
  size_t whole = strlen(InstallState.BasePath) + strlen(DownloadFolder) + 1;
  if (discFolder != nullptr) whole += strlen(discFolder);
  if (fileName != nullptr) whole += 1 + strlen(fileName);
  if (BuildLocalPath(out, size, discFolder, fileName) == whole) return true;
  TextCopy(out, size, "");
  return false;
}

bool RootDirectoryFits(int drive, const char* root) {
  char area[TextSize];
  if (!FormatDownloadArea(area, sizeof area, drive, root) || !JoinWhole(area, sizeof area, area, "\\")) {
    return false;
  }
  for (int disc = 1; disc <= DiscCount; ++disc) {
    char discFolder[32], listName[32];
    FormatDiscFolder(discFolder, sizeof discFolder, disc);
    FormatFileListName(listName, sizeof listName, disc);
    char folder[TextSize], path[TextSize];
    if (!JoinWhole(folder, sizeof folder, area, discFolder) ||
        !JoinWhole(path, sizeof path, folder, "\\", listName) ||
        (disc == 1 && !JoinWhole(path, sizeof path, folder, "\\", CatalogueFileName))) {
      return false;
    }
  }
  return true;
}
