// IniLookup on any text, with section and key taken from the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "web/ini_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Input: section NUL key NUL text (missing parts are empty).
  const char* bytes = reinterpret_cast<const char*>(data);
  std::string section, key;
  size_t i = 0;
  while (i < size && bytes[i] != '\0') section += bytes[i++];
  if (i < size) ++i;
  while (i < size && bytes[i] != '\0') key += bytes[i++];
  if (i < size) ++i;
  // The text is handed over exactly: not terminated, in a buffer of its own
  // size, so any read past its end is seen by AddressSanitizer.
  size_t length = size - i;
  char* text = new char[length ? length : 1];
  memcpy(text, bytes + i, length);
  char out[256];
  bool found = IniLookup(section.c_str(), key.c_str(), out, sizeof out, text, length);
  if (strnlen(out, sizeof out) >= sizeof out) __builtin_trap();  // always terminated
  if (!found && strcmp(out, "*") != 0) __builtin_trap();         // absent means "*"
  char tiny[3];
  IniLookup(section.c_str(), key.c_str(), tiny, sizeof tiny, text, length);
  if (strnlen(tiny, sizeof tiny) >= sizeof tiny) __builtin_trap();
  delete[] text;
  return 0;
}
