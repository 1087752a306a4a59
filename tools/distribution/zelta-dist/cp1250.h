// Conversions between UTF-8 (descriptions, Linux file names) and
// Windows-1250 (every 8-bit text the installer reads).
#ifndef ZELTA_VENDOR_DIST_CP1250_H
#define ZELTA_VENDOR_DIST_CP1250_H

#include <string>

// Appends `utf8` to `out` in Windows-1250. False (out partly written) when
// the text is not valid UTF-8 or holds a character that Windows-1250 lacks;
// `bad` then names the offending character or byte.
bool Utf8ToCp1250(const std::string& utf8, std::string& out, std::string& bad);

// Windows-1250 to UTF-8. Never fails: the five unassigned bytes become the
// C1 control characters of the same value, as Windows maps them.
std::string Cp1250ToUtf8(const std::string& text);

#endif
