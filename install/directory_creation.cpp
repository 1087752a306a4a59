#include "install/directory_creation.h"

#include <windows.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/path_names.h"
#include "catalogue/install_paths.h"

void CreateDirectories() {
  char root[TextSize];
  if (!FormatInstallRoot(root, sizeof root, InstallState.TargetDrive, InstallState.RootDirectory)) return;
  CreateDirectoryA(root, nullptr);

  for (int i = 1;; ++i) {
    char key[32];
    FormatNumberedKey(key, sizeof key, "Dir", i);
    char value[TextSize];
    GetPrivateProfileStringA("Directorys", key, "*", value, sizeof value, InstallState.CataloguePath);
    if (value[0] == '*') break;

    // The list comes from the server: a value that would climb out of the
    // root, or that does not fit and would be cut, is passed over.
    if (!IsHarmlessDirectoryValue(value)) continue;
    char path[TextSize];
    if (!JoinWhole(path, sizeof path, root, value)) continue;
    CreateDirectoryA(path, nullptr);
  }
}
