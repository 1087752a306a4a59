// The three registry operations of the install steps. Each opens the key,
// does its one thing and closes the key again (only when it was opened).
#ifndef ZELTA_INSTALL_REGISTRY_ACCESS_H
#define ZELTA_INSTALL_REGISTRY_ACCESS_H

#include <windows.h>

// Creates or opens root\keyPath and sets the REG_SZ value (an empty name is
// the key's default value). True when the value was written.
bool WriteRegistryString(HKEY root, const char* keyPath, const char* valueName, const char* text);

// Reads a value into buffer (size in bytes). True when it was read whole
// and, as a text, fits with its terminating zero; a larger value counts as
// not read.
bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* buffer,
                       DWORD size);

// True when the value was deleted.
bool DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName);

#endif
