#include "install/font_installation.h"

#include <windows.h>

#include "catalogue/install_state.h"
#include "install/catalogue_value.h"
#include "catalogue/install_paths.h"
#include "install/registry_access.h"

namespace {

const char FontsKey[] = "Software\\Microsoft\\" "Windows NT" "\\CurrentVersion\\Fonts";

void LoadFont(const char* file) {
  char path[TextSize];
  // A path that does not fit is not loaded at all: cut, it would name
  // another file. The font is still registered, like any that fails to load.
  if (!JoinWhole(path, sizeof path, InstallState.WindowsDirectory, "\\Fonts\\", file)) return;
  if (AddFontResourceA(path) != 0) SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

}  // namespace

void InstallFonts() {
  for (int number = 1;; ++number) {
    char file[TextSize];
    char name[TextSize];
    if (!ReadNumberedCatalogueValue("FontsCommand", "FontFile", number, file, sizeof file)) return;
    if (!ReadNumberedCatalogueValue("FontsCommand", "FontName", number, name, sizeof name)) return;
    LoadFont(file);
    WriteRegistryString(HKEY_LOCAL_MACHINE, FontsKey, name, file);
  }
}
