#include "install/catalogue_value.h"

#include <windows.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"

bool ReadCatalogueValue(const char* section, const char* key, char* value, size_t size) {
  if (size == 0) return false;
  DWORD n = GetPrivateProfileStringA(section, key, "*", value, static_cast<DWORD>(size),
                                     InstallState.CataloguePath);
  if (n == 0 || value[0] == '\0' || value[0] == '*') {
    value[0] = '\0';
    return false;
  }
  return true;
}

bool ReadNumberedCatalogueValue(const char* section, const char* keyPrefix, int number,
                                char* value, size_t size) {
  char key[64];
  FormatNumberedKey(key, sizeof key, keyPrefix, number);
  return ReadCatalogueValue(section, key, value, size);
}
