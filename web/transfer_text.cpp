#include "web/transfer_text.h"

#include <cstring>

bool IsFilteredName(const char* name) {
  return strstr(name, "ex_") != nullptr || strstr(name, "dl_") != nullptr;
}

size_t DeinterleaveChunk(char* data, size_t n, int64_t offset) {
  size_t first = (offset % 2 == 0) ? 1 : 0;  // the chunk's first byte at an odd file offset
  size_t kept = 0;
  for (size_t i = first; i < n; i += 2) data[kept++] = data[i];
  return kept;
}

bool ReadCatalogueSize(const char* text, int64_t* bytes) {
  *bytes = 0;
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  int64_t n = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    n = n * 10 + (*text - '0');
    if (n > MaxFileBytes) return false;  // before it could overflow
  }
  if (negative && n != 0) return false;
  *bytes = n;
  return true;
}

const char* ActivityMark(int chunk) {
  static const char* const marks[5] = {"|", "/", "-", "\\", ""};
  if (chunk < 1) return "";
  return marks[(chunk - 1) % 5];
}

const char ProbeFirstMarker[] = "ZeltaCAD WEB update system: V9.21";
const char ProbeSecondMarker[] = "ZeltaSoft Ltd. 1992-2019.";

bool ProbeMarkersPresent(const char* body, size_t length, const volatile int32_t* cancel) {
  const size_t firstLength = sizeof ProbeFirstMarker - 1;
  const size_t secondLength = sizeof ProbeSecondMarker - 1;
  bool firstSeen = false;
  size_t start = 0;
  for (size_t i = 0; i + 1 < length; ++i) {
    if (body[i] != '\r' || body[i + 1] != '\n') continue;
    if (cancel != nullptr && *cancel) return false;
    size_t n = i - start;
    if (n > 255) n = 255;
    const char* line = body + start;
    if (!firstSeen) {
      firstSeen = n >= firstLength && memcmp(line, ProbeFirstMarker, firstLength) == 0;
    } else if (n >= secondLength && memcmp(line, ProbeSecondMarker, secondLength) == 0) {
      return true;
    }
    start = i + 2;
    ++i;
  }
  return false;
}
