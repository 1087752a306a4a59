#include "install/group_commands.h"

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "common/bounded_text.h"

namespace {

const char GroupCreation[] = "[CreateGroup(";

// Writes into a fixed buffer and remembers whether anything fell off.
struct Expansion {
  char* out;
  size_t size;
  size_t len;
  bool overflow;
};

void Put(Expansion& e, char c) {
  if (e.len + 1 >= e.size) {
    e.overflow = true;
    return;
  }
  e.out[e.len++] = c;
}

// One character of the formatted text: a "#" stands for the root.
void PutExpanded(Expansion& e, char c, char driveLetter, const char* rootDirectory) {
  if (c != '#') {
    Put(e, c);
    return;
  }
  Put(e, driveLetter);
  Put(e, ':');
  Put(e, '\\');
  for (const char* r = rootDirectory; *r != '\0'; ++r) Put(e, *r);
}

bool IsHelpViewerCommand(const char* command) {
  return strstr(command, "WinHlp32.exe") != nullptr || strstr(command, "hh.exe") != nullptr;
}

}  // namespace

bool ExpandGroupCommand(char* out, size_t size, const char* command, const char* windowsDirectory,
                        int drive, const char* rootDirectory) {
  if (size == 0) return false;
  Expansion e = {out, size, 0, false};
  const char letter = DriveLetter(drive);
  const bool help = IsHelpViewerCommand(command);
  // The "#" substitution runs over the formatted text, so a "#" that the
  // Windows directory brings in is expanded as well.
  for (const char* p = command; *p != '\0' && !e.overflow; ++p) {
    if (help && p[0] == '%' && p[1] == 's') {
      for (const char* w = windowsDirectory; *w != '\0'; ++w)
        PutExpanded(e, *w, letter, rootDirectory);
      ++p;
    } else if (help && p[0] == '%' && p[1] == '%') {
      // The command was a format with the Windows directory as its one
      // argument: "%%" stood for "%", and stored catalogues write it so.
      Put(e, '%');
      ++p;
    } else {
      PutExpanded(e, *p, letter, rootDirectory);
    }
  }
  if (e.overflow) {
    out[0] = '\0';
    return false;
  }
  out[e.len] = '\0';
  return true;
}

bool IsGroupCreation(const char* command) {
  return strncmp(command, GroupCreation, sizeof GroupCreation - 1) == 0;
}

bool GroupNameOf(const char* command, char* name, size_t size) {
  if (size > 0) name[0] = '\0';
  if (!IsGroupCreation(command)) return false;
  const char* start = command + (sizeof GroupCreation - 1);
  const char* end = strstr(start, ")]");
  if (end == nullptr || end == start) return false;
  TextAppendPart(name, size, start, static_cast<size_t>(end - start));
  return size > 1;
}

bool IsPlainFileName(const char* name) {
  if (name[0] == '\0') return false;
  for (const char* p = name; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || strchr("\\/:*?\"<>|", c) != nullptr) return false;
  }
  return true;
}
