#include "tools/distribution/zelta-dist/verify_paths.h"

#include <cstring>
#include <vector>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_paths.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "common/device_name.h"
#include "common/path_names.h"
#include "install/group_commands.h"
#include "web/vendor_paths.h"

namespace {

const char SystemFolder[] = "\\ZeltaWin32\\";

std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) {
      names.push_back(path.substr(start));
      return names;
    }
    names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
}

bool IsDotName(const std::string& name) {
  return !name.empty() && name.find_first_not_of(". ") == std::string::npos;
}

// Room for any URL or path below, uncut.
const size_t WideBuffer = 8192;

}  // namespace

std::string LongestWindowsDirectory() {
  return "C:\\" + std::string(WindowsDirectorySize - 4, 'W');
}

std::string PathFault(const std::string& relative) {
  if (IsContainedPath(relative.c_str()) && !HoldsDeviceName(relative.c_str())) return "";
  if (relative.find(':') != std::string::npos) return "holds ':' (a drive or a stream)";
  if (relative.compare(0, 2, "\\\\") == 0 || relative.compare(0, 2, "//") == 0) return "is a UNC path";
  if (relative.empty() || relative[0] != '\\') return "does not begin with a backslash";
  std::vector<std::string> names = Names(relative.substr(1));
  for (const std::string& name : names) {
    if (IsDotName(name)) return "has a '" + name + "' part";
  }
  for (const std::string& name : names) {
    if (name.empty()) return "has an empty name (a doubled or trailing backslash)";
  }
  for (const std::string& name : names) {
    if (IsDeviceName(name.c_str(), name.size())) return "names the device '" + name + "'";
  }
  return "is not a path below its folder";
}

std::string NameFault(const std::string& path) {
  for (const std::string& name : Names(path)) {
    if (!name.empty() && !IsPlainFileName(name.c_str())) {
      return "'" + name + "' holds a character that Windows refuses in names";
    }
  }
  return "";
}

std::string InstallerBasePath(const std::string& root) {
  char base[WideBuffer];
  TextFormat(base, sizeof base, "%c:\\", DriveLetter(VerifyDrive));
  TextAppend(base, root.c_str());
  TextAppend(base, SystemFolder);
  return base;
}

size_t DownloadUrlLength(bool secure, const std::string& discFolder, const std::string& fileName) {
  const int32_t saved = InstallState.SecureMode;
  InstallState.SecureMode = secure ? 1 : 0;
  char url[WideBuffer];
  size_t n = BuildRemoteUrl(url, sizeof url, discFolder.c_str(), fileName.c_str());
  InstallState.SecureMode = saved;
  return n;
}

size_t DownloadPathLength(const std::string& root, const std::string& discFolder, const std::string& fileName) {
  // The installer's own builder reads the base from its state; a base that
  // does not fit there is measured whole instead.
  std::string base = InstallerBasePath(root);
  if (base.size() >= sizeof InstallState.BasePath) return WideBuffer;
  char saved[sizeof InstallState.BasePath];
  memcpy(saved, InstallState.BasePath, sizeof saved);
  TextCopy(InstallState.BasePath, base.c_str());
  char path[WideBuffer];
  size_t n = BuildLocalPath(path, sizeof path, discFolder.c_str(), fileName.c_str());
  memcpy(InstallState.BasePath, saved, sizeof saved);
  return n;
}

std::string FoldWindowsCase(const std::string& text) {
  std::string out = text;
  for (char& ch : out) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>(c - 0x20);
    } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
      c = static_cast<unsigned char>(c - 0x20);  // accented letters; not the division sign
    } else if (c == 0x9A || c == 0x9C || c == 0x9D || c == 0x9E || c == 0x9F) {
      c = static_cast<unsigned char>(c - 0x10);  // s, s, t, z, z with carons and acutes
    } else if (c == 0xB3 || c == 0xBA || c == 0xBF) {
      c = static_cast<unsigned char>(c - 0x10);  // l with stroke, s cedilla, z dot
    } else if (c == 0xB9) {
      c = 0xA5;  // a ogonek
    } else if (c == 0xBE) {
      c = 0xBC;  // l caron
    }
    ch = static_cast<char>(c);
  }
  return out;
}
