#include "web/ini_lookup.h"

#include <cstring>

#include "common/bounded_text.h"

// The rules, which the server's files rely on:
//  - a line ends at a CR LF pair lying wholly within the text; a lone LF
//    does not end a line;
//  - only the first 255 bytes of a line take part in comparisons and values;
//  - a section line begins with "[section]" (case-sensitive, may go on);
//    a last line without CR LF is never a section line;
//  - a key line begins with the key, byte for byte, with no blanks skipped;
//    it is a prefix match (File1 also matches File10=...), first line wins;
//    the key search ends at the next line that begins with '[', and a last
//    line without CR LF is searched as well;
//  - the value starts after the first '=' at or after the key's length,
//    with exactly one blank after the '=' skipped.
// A line that begins with the key but holds no '=' assigns nothing: it is
// passed over and the search goes on.

namespace {

const size_t LineLimit = 255;

struct Line {
  const char* start;
  size_t length;  // content up to the CR, at most LineLimit
};

// Finds the line that starts at `pos`. Returns false when no CR LF ends it
// (the rest of the text is then the last, unterminated line).
bool NextLine(const char* text, size_t length, size_t pos, Line& line, size_t& next) {
  for (size_t i = pos; i + 1 < length; ++i) {
    if (text[i] == '\r' && text[i + 1] == '\n') {
      size_t n = i - pos;
      line.start = text + pos;
      line.length = n < LineLimit ? n : LineLimit;
      next = i + 2;
      return true;
    }
  }
  size_t n = length > pos ? length - pos : 0;
  line.start = text + pos;
  line.length = n < LineLimit ? n : LineLimit;
  next = length;
  return false;
}

bool BeginsWith(const Line& line, const char* prefix, size_t prefixLength) {
  return line.length >= prefixLength && memcmp(line.start, prefix, prefixLength) == 0;
}

// Takes the value out of a key line. Returns false when the line has no '='.
bool TakeValue(const Line& line, size_t keyLength, char* out, size_t outSize) {
  size_t pos = keyLength;
  while (pos < line.length && line.start[pos] != '=') ++pos;
  if (pos >= line.length) return false;
  ++pos;
  if (pos < line.length && line.start[pos] == ' ') ++pos;
  memset(out, 0, outSize);
  TextAppendPart(out, outSize, line.start + pos, line.length - pos);
  return true;
}

}  // namespace

bool IniLookup(const char* section, const char* key, char* out, size_t outSize,
               const char* text, size_t length) {
  TextCopy(out, outSize, "*");
  if (text == nullptr) return false;

  char header[256];
  TextCopy(header, sizeof header, "[");
  TextAppend(header, sizeof header, section);
  size_t headerLength = TextAppend(header, sizeof header, "]");

  // Section search: CR LF-ended lines only.
  size_t pos = 0;
  bool found = false;
  Line line;
  size_t next;
  while (NextLine(text, length, pos, line, next)) {
    pos = next;
    if (BeginsWith(line, header, headerLength)) {
      found = true;
      break;
    }
  }
  if (!found) return false;

  size_t keyLength = strlen(key);
  if (keyLength == 0) return true;

  // Key search: the following lines, then the rest after the last CR LF.
  for (;;) {
    bool terminated = NextLine(text, length, pos, line, next);
    pos = next;
    if (line.length > 0 && line.start[0] == '[') return false;
    if (BeginsWith(line, key, keyLength) && TakeValue(line, keyLength, out, outSize)) {
      return true;
    }
    if (!terminated) return false;
  }
}
