#include "setup/drive_list_text.h"

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char DriveListEntryLetter(const char* entry) {
  if (entry == nullptr) return 0;
  if (IsDriveLetter(entry[0])) return entry[0];
  // "[-x-]": each test stops at the terminating NUL, so a short text is
  // never read past its end.
  if (entry[0] == '[' && entry[1] == '-' && IsDriveLetter(entry[2]) && entry[3] == '-' && entry[4] == ']')
    return entry[2];
  return 0;
}
