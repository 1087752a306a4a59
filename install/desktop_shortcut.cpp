#include "install/desktop_shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "install/group_commands.h"
#include "catalogue/install_paths.h"

namespace {

enum {
  CommandValueSize = 260,
  LinkPathSize = 512,
  WideLinkPathSize = 261,
};

// Sets the link's fields and saves it; true when saved.
bool SaveLink(IShellLinkA* link, const char* target, const char* description,
              const char* workingFolder, const char* linkPath) {
  // A missing target gives S_FALSE here, and the link is still good.
  link->SetPath(target);
  link->SetDescription(description);
  link->SetIconLocation(target, 0);
  link->SetWorkingDirectory(workingFolder);

  IPersistFile* file = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    return false;
  }
  wchar_t widePath[WideLinkPathSize];
  bool saved = false;
  // A path that does not convert whole is not saved under a cut name.
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, WideLinkPathSize) != 0) {
    saved = SUCCEEDED(file->Save(widePath, TRUE));
  }
  file->Release();
  return saved;
}

}  // namespace

int FindGroupName(const char* cataloguePath, char* name, size_t capacity) {
  if (capacity > 0) memset(name, 0, capacity);
  for (int number = 1;; ++number) {
    char key[32];
    FormatNumberedKey(key, sizeof key, "Command", number);
    char value[CommandValueSize];
    GetPrivateProfileStringA("Command", key, "*", value, sizeof value, cataloguePath);
    if (value[0] == '*') return 1;
    if (!IsGroupCreation(value)) continue;
    return GroupNameOf(value, name, capacity) ? 0 : 1;
  }
}

int WriteShellLink(const char* target, const char* description, const char* workingFolder,
                   const char* linkPath) {
  // COM is uninitialised only when this call initialised it (S_OK or
  // S_FALSE); a thread already in another apartment is left as it was.
  const bool initialised = SUCCEEDED(CoInitialize(nullptr));
  IShellLinkA* link = nullptr;
  int result = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_ALL, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    result = SaveLink(link, target, description, workingFolder, linkPath) ? 1 : 0;
    link->Release();
  }
  if (initialised) CoUninitialize();
  return result;
}

void CreateDesktopShortcut() {
  char name[TextSize];
  if (FindGroupName(InstallState.CataloguePath, name, sizeof name) != 0) return;
  // The name comes from the server's catalogue: it must stay a file name
  // inside the desktop folder.
  if (!IsPlainFileName(name)) return;

  char desktop[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, desktop))) {
    return;
  }
  char linkPath[LinkPathSize];
  char folder[TextSize];
  char executable[TextSize];
  if (!JoinWhole(linkPath, sizeof linkPath, desktop, "\\", name, ".lnk")) return;
  if (!FormatSystemFolder(folder, sizeof folder, InstallState.TargetDrive,
                          InstallState.RootDirectory)) {
    return;
  }
  if (!FormatInstalledExecutable(executable, sizeof executable, InstallState.TargetDrive,
                                 InstallState.RootDirectory)) {
    return;
  }
  WriteShellLink(executable, name, folder, linkPath);
}
