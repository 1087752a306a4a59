#include "install/directory_creation.h"

#include <windows.h>

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/contained_path.h"

void CreateDirectories() {
  char root[TextSize];
  TextFormat(root, sizeof root, "%c:\\", DriveLetter(InstallState.TargetDrive));
  size_t rootLength = TextAppend(root, InstallState.RootDirectory);
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
    TextCopy(path, root);
    if (TextAppend(path, value) != rootLength + strlen(value)) continue;
    CreateDirectoryA(path, nullptr);
  }
}
