#include "web/vendor_paths.h"

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "common/device_name.h"
#include "install/install_paths.h"

#ifndef ZELTA_WEB_HOST
#define ZELTA_WEB_HOST "www.zeltasoft.example"
#endif
#ifndef ZELTA_DOWNLOAD_HOST
#define ZELTA_DOWNLOAD_HOST "download.zeltasoft.example"
#endif

namespace {

const char ModuleFolder[] = "Varnel" "Demo";
const char DownloadFolder[] = "Install";

}  // namespace

const char InstallerUserAgent[] = "ZeltaCAD UpDate";
const char CatalogueFileName[] = "Install.ini";

const char* WebHost() {
  return ZELTA_WEB_HOST;
}

const char* DownloadHost() {
  return ZELTA_DOWNLOAD_HOST;
}

size_t BuildOrigin(char* out, size_t size) {
  TextCopy(out, size, InstallState.SecureMode ? "https://" : "http://");
  return TextAppend(out, size, InstallState.SecureMode ? WebHost() : DownloadHost());
}

size_t BuildUpdateFolderUrl(char* out, size_t size) {
  BuildOrigin(out, size);
  TextAppend(out, size, "/");
  return TextAppend(out, size, InstallState.SecureMode ? "Download/UpDate-V9.20" : "UpDate-V9.20");
}

size_t BuildProbeUrl(char* out, size_t size) {
  BuildUpdateFolderUrl(out, size);
  TextAppend(out, size, "/");
  return TextAppend(out, size, "Update.ini");
}

size_t BuildRemoteUrl(char* out, size_t size, const char* discFolder, const char* fileName) {
  size_t n = BuildUpdateFolderUrl(out, size);
  TextAppend(out, size, "/");
  n = TextAppend(out, size, ModuleFolder);
  if (discFolder != nullptr) {
    TextAppend(out, size, "/");
    n = TextAppend(out, size, discFolder);
  }
  if (fileName != nullptr) {
    TextAppend(out, size, "/");
    n = TextAppend(out, size, fileName);
  }
  return n;
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
  char system[TextSize], area[TextSize];
  if (!FormatSystemFolder(system, sizeof system, drive, root) ||
      !JoinWhole(area, sizeof area, system, "\\", DownloadFolder, "\\")) {
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

size_t BuildDisplayText(char* out, size_t size, const char* discFolder, const char* fileName) {
  TextCopy(out, size, InstallState.SecureMode ? "https://... .../" : "http://... .../");
  TextAppend(out, size, ModuleFolder);
  TextAppend(out, size, "/");
  TextAppend(out, size, discFolder);
  TextAppend(out, size, "/");
  return TextAppend(out, size, fileName);
}

size_t SourceNameFromEntry(char* out, size_t size, const char* value) {
  const char* p = value;
  while (*p == ' ') ++p;
  if (*p == '\\') ++p;
  size_t n = strcspn(p, " ,");
  TextCopy(out, size, "");
  return TextAppendPart(out, size, p, n);
}

bool IsSafeSourceName(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  if (name[0] == '\\' || name[0] == '/') return false;
  if (strchr(name, ':') != nullptr) return false;
  const char* segment = name;
  for (;;) {
    size_t n = strcspn(segment, "\\/");
    if (n == 2 && segment[0] == '.' && segment[1] == '.') return false;
    if (IsDeviceName(segment, n)) return false;
    if (segment[n] == '\0') return true;
    segment += n + 1;
  }
}
