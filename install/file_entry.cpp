#include "install/file_entry.h"

#include <cstring>

#include "common/bounded_text.h"

namespace {

// Takes the code prefixes off the front of the target field.
const char* TakeTargetCodes(const char* t, FileEntryRecord* entry) {
  while (*t == '*') {
    char code = t[1];
    if (code == '?') {
      if (entry->Mode == TargetModeNone) entry->Mode = TargetModeAsk;
      t += 2;
    } else if (code == '-') {
      entry->Mode = TargetModeKeep;
      t += 2;
    } else if (code == '%') {
      entry->WindowsBase = 1;
      t += 2;
    } else {
      if (entry->WrongCodeCount++ == 0) entry->WrongCode = code;
      t += 1;
    }
  }
  return t;
}

}  // namespace

void SplitFileEntry(const char* value, FileEntryRecord* entry) {
  memset(entry, 0, sizeof *entry);
  size_t n = strcspn(value, " ,");
  TextAppendPart(entry->Source, sizeof entry->Source, value, n);

  const char* t = value + n;
  if (*t != '\0') ++t;
  while (*t == ' ') ++t;
  TextCopy(entry->TargetField, t);
  TextCopy(entry->TargetPath, TakeTargetCodes(t, entry));
}
