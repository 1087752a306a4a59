#include "tools/distribution/zelta-dist/installer_urls.h"

#include <cstdio>
#include <cstring>

#include "catalogue/install_state.h"
#include "web/vendor_paths.h"

namespace {

// The installer's builders read the host choice from InstallState.
std::string FolderUrl(bool secure) {
  int32_t saved = InstallState.SecureMode;
  InstallState.SecureMode = secure ? 1 : 0;
  char url[TextSize];
  BuildUpdateFolderUrl(url, sizeof url);
  InstallState.SecureMode = saved;
  return url;
}

// What a builder appends to the update folder URL, without the "/".
std::string AfterFolder(const char* url) {
  std::string folder = FolderUrl(InstallState.SecureMode != 0);
  return strlen(url) > folder.size() + 1 ? std::string(url + folder.size() + 1) : std::string();
}

}  // namespace

std::string InstallerFolderUrl(bool secure) {
  return FolderUrl(secure);
}

std::string InstallerFolderPath(bool secure) {
  std::string url = FolderUrl(secure);
  size_t start = url.find("://");
  size_t slash = url.find('/', start == std::string::npos ? 0 : start + 3);
  return slash == std::string::npos ? std::string() : url.substr(slash + 1);
}

std::string InstallerProbeName() {
  char url[TextSize];
  BuildProbeUrl(url, sizeof url);
  return AfterFolder(url);
}

std::string InstallerProductFolder() {
  char url[TextSize];
  BuildRemoteUrl(url, sizeof url, nullptr, nullptr);
  return AfterFolder(url);
}

std::string UrlHost(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = url.find_first_of("/?#", start);
  return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string UrlPathOf(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if (c == '\\') {
      out += '/';
    } else if (c <= 0x20 || c >= 0x7F) {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}
