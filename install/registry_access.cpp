#include "install/registry_access.h"

#include <cstring>

bool WriteRegistryString(HKEY root, const char* keyPath, const char* valueName, const char* text) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, &disposition) != ERROR_SUCCESS) {
    return false;
  }
  LONG result = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                               static_cast<DWORD>(strlen(text) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* buffer,
                       DWORD size) {
  if (size == 0) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD length = size;
  LONG result =
      RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  // Data stored without its terminating zero is terminated here, when there
  // is room for it; a text that cannot be terminated was not read.
  if (length > 0 && buffer[length - 1] == '\0') return true;
  if (length >= size) {
    buffer[0] = '\0';
    return false;
  }
  buffer[length] = '\0';
  return true;
}

bool DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  LONG result = RegDeleteValueA(key, valueName);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}
