#include "web/vendor_paths.h"

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"

#ifndef ZELTA_WEB_HOST
#define ZELTA_WEB_HOST "www.zeltasoft.example"
#endif
#ifndef ZELTA_DOWNLOAD_HOST
#define ZELTA_DOWNLOAD_HOST "download.zeltasoft.example"
#endif

namespace {

const char ModuleFolder[] = "Varnel" "Demo";

}  // namespace

const char InstallerUserAgent[] = "ZeltaCAD UpDate";

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
