#include "catalogue/read_catalogue.h"

#include <windows.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"

void ReadCatalogue() {
  for (int disc = 1; disc <= DiscCount; ++disc) {
    char* name = InstallState.DiscName[disc - 1];
    name[0] = '\0';

    char section[32];
    FormatDiscSection(section, sizeof section, disc);
    char value[TextSize];
    GetPrivateProfileStringA(section, "Name", "*", value, sizeof value, InstallState.CataloguePath);
    if (value[0] == '*') continue;
    TextCopy(name, TextSize, value);

    for (int component = 0; component < ComponentCount; ++component) {
      GetPrivateProfileStringA(section, Components[component].Key, "*", value, sizeof value,
                               InstallState.CataloguePath);
      if (value[0] != '*') InstallState.ComponentOnDisc[component][disc - 1] = 1;
    }
  }
}
