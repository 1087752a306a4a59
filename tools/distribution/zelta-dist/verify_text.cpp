#include "tools/distribution/zelta-dist/verify_text.h"

#include <algorithm>
#include <cstdio>

namespace {

// The installer compares and reads only this much of a line.
const size_t LineLimit = 255;

std::string ByteText(unsigned char c) {
  char text[8];
  snprintf(text, sizeof text, "0x%02X", c);
  return text;
}

// The five bytes Windows-1250 leaves unassigned.
bool IsUnassigned(unsigned char c) {
  return c == 0x81 || c == 0x83 || c == 0x88 || c == 0x90 || c == 0x98;
}

void CheckLineBytes(const std::string& file, int line, const std::string& content, SiteProblems& problems) {
  if (content.size() > LineLimit) {
    AddProblem(problems, file, line,
               "line is " + std::to_string(content.size()) + " bytes long; the installer reads the first 255 only");
  }
  if (content.find('\r') != std::string::npos) {
    AddProblem(problems, file, line, "CR without LF inside the line");
  }
  for (char ch : content) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsUnassigned(c)) {
      AddProblem(problems, file, line, "byte " + ByteText(c) + " is no Windows-1250 character");
      break;
    }
  }
  for (char ch : content) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 && c != '\t' && c != '\r') {
      AddProblem(problems, file, line, "control byte " + ByteText(c));
      break;
    }
  }
}

}  // namespace

int LineAt(const std::string& text, size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

void CheckInstallerText(const std::string& file, const std::string& text, SiteProblems& problems) {
  if (text.empty()) {
    AddProblem(problems, file, 0, "is empty: the installer takes an empty file for a missing one");
    return;
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    AddProblem(problems, file, 1, "begins with a UTF-8 byte order mark; the installer reads Windows-1250");
  }
  int line = 1;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      CheckLineBytes(file, line, text.substr(start), problems);
      AddProblem(problems, file, line, "last line does not end with CR LF");
      return;
    }
    bool crlf = end > start && text[end - 1] == '\r';
    CheckLineBytes(file, line, text.substr(start, end - start - (crlf ? 1 : 0)), problems);
    if (!crlf) AddProblem(problems, file, line, "line ends with LF alone; the installer reads it with the next one");
    start = end + 1;
    ++line;
  }
}
