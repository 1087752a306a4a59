// Lookup of one key in a catalogue text held in memory (Install.ini or a
// Fajls_N.ini as read from the server). Never touches the disk and never
// changes the text.
#ifndef ZELTA_WEB_INI_LOOKUP_H
#define ZELTA_WEB_INI_LOOKUP_H

#include <cstddef>

// Finds `key` in section `section` of `text` (length bytes, not terminated,
// lines ended by CR LF). Returns true when found, with the value in `out`;
// otherwise `out` holds "*", the absent marker. An empty key asks whether the
// section exists: true when it does, with "*" left in `out`.
bool IniLookup(const char* section, const char* key, char* out, size_t outSize,
               const char* text, size_t length);

#endif
