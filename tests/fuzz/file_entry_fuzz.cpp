// The file-list entry parser with its target codes, and the path checks
// that keep entries inside their folders.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/path_names.h"
#include "install/file_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string value(reinterpret_cast<const char*>(data), size);
  value = value.c_str();  // a file-list value ends at its first NUL
  FileEntryRecord entry;
  SplitFileEntry(value.c_str(), &entry);
  for (const char* text : {entry.Source, entry.TargetField, entry.TargetPath})
    if (strnlen(text, sizeof entry.Source) >= sizeof entry.Source) __builtin_trap();
  if (entry.Mode < 0 || entry.Mode > 2) __builtin_trap();

  // A path accepted as contained never climbs out of its base.
  char joined[256];
  if (JoinContainedPath(joined, sizeof joined, "C:\\Root", entry.TargetPath)) {
    if (strncmp(joined, "C:\\Root\\", 8) != 0) __builtin_trap();
    size_t n = strlen(joined);
    if (strstr(joined, "\\..\\") != nullptr || (n >= 3 && strcmp(joined + n - 3, "\\..") == 0)) __builtin_trap();
    if (strchr(joined + 2, ':') != nullptr) __builtin_trap();
  }
  IsContainedPath(value.c_str());
  IsHarmlessDirectoryValue(value.c_str());
  return 0;
}
