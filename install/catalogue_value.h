// One value of the local catalogue (Install.ini at InstallState.CataloguePath).
#ifndef ZELTA_INSTALL_CATALOGUE_VALUE_H
#define ZELTA_INSTALL_CATALOGUE_VALUE_H

#include <cstddef>

// Reads section/key with the default "*". True when the value is there: not
// empty and not beginning with "*". The value is cut to size - 1 bytes.
bool ReadCatalogueValue(const char* section, const char* key, char* value, size_t size);

// The same for a numbered key such as "FontFile3".
bool ReadNumberedCatalogueValue(const char* section, const char* keyPrefix, int number,
                                char* value, size_t size);

#endif
