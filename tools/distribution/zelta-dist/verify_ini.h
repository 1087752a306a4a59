// Keys of the catalogue and the file lists, found by the installer's own
// lookup (IniLookup) and tied to the line they were read from.
#ifndef ZELTA_VENDOR_DIST_VERIFY_INI_H
#define ZELTA_VENDOR_DIST_VERIFY_INI_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/verify_problems.h"

struct IniValue {
  bool found = false;       // IniLookup's answer
  std::string value = "*";  // what IniLookup gives ("*" when not found)
  int line = 0;             // the line it was read from; 0 when not found
};

// A key line of a section as a lenient reader sees it (the installation
// reads its local copies through one that ignores case and blanks).
struct IniKeyLine {
  int line = 0;
  size_t offset = 0;  // where the line begins in the text
  std::string key;    // the text before '=', blanks trimmed
};

struct IniSection {
  std::string file;                // for problems
  const std::string* text = nullptr;
  std::string name;
  IniValue header;                 // found: the section exists; line: its header
  std::vector<IniKeyLine> keys;    // up to the next line beginning with '['
  std::map<std::string, std::vector<size_t>> byKey;  // lower-case key: indexes into keys
  std::vector<size_t> lineEnds;    // offsets just past each CR LF of the text
};

// IniLookup of section/key; an empty key asks for the section itself.
IniValue LookupIni(const std::string& text, const std::string& section, const std::string& key);

IniSection OpenSection(const std::string& file, const std::string& text, const std::string& name);

// The installer's "absent": not found, or a value beginning with "*".
bool IsAbsent(const IniValue& value);

// Looks a key up and adds a problem when the line the lookup takes is
// written for another key (File1 read from "File10=..."), or when a lenient
// reader would take another line (another case, blanks before the key).
IniValue ReadKey(const IniSection& section, const std::string& key, SiteProblems& problems);

// A numbered list (File1, File2, ...) ends at its first missing number:
// keys PREFIX<n> with n above `count` are never read.
void CheckListEnd(const IniSection& section, const std::string& prefix, int count, SiteProblems& problems);

#endif
