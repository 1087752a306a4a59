#include "common/bounded_text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

size_t TextCopy(char* dst, size_t size, const char* src) {
  if (size == 0) return 0;
  dst[0] = '\0';
  return TextAppend(dst, size, src);
}

size_t TextAppendPart(char* dst, size_t size, const char* src, size_t count) {
  if (size == 0) return 0;
  size_t len = strnlen(dst, size);
  if (len >= size) {  // not terminated: treat the buffer as full
    dst[size - 1] = '\0';
    return size - 1;
  }
  if (src == nullptr) return len;
  while (count > 0 && *src != '\0' && len + 1 < size) {
    dst[len++] = *src++;
    --count;
  }
  dst[len] = '\0';
  return len;
}

size_t TextAppend(char* dst, size_t size, const char* src) {
  return TextAppendPart(dst, size, src, static_cast<size_t>(-1));
}

size_t TextFormat(char* dst, size_t size, const char* format, ...) {
  if (size == 0) return 0;
  va_list args;
  va_start(args, format);
  int n = vsnprintf(dst, size, format, args);
  va_end(args);
  if (n < 0) {
    dst[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

size_t TextFillPattern(char* dst, size_t size, const char* pattern,
                       const char* arg1, const char* arg2) {
  if (size == 0) return 0;
  dst[0] = '\0';
  if (pattern == nullptr) return 0;
  const char* args[2] = {arg1, arg2};
  int next = 0;
  size_t len = 0;
  const char* p = pattern;
  while (*p != '\0' && len + 1 < size) {
    if (p[0] == '%' && p[1] == 's') {
      const char* arg = next < 2 ? args[next] : nullptr;
      ++next;
      len = TextAppend(dst, size, arg);
      p += 2;
    } else if (p[0] == '%' && p[1] == '%') {
      len = TextAppendPart(dst, size, "%", 1);
      p += 2;
    } else {
      len = TextAppendPart(dst, size, p, 1);
      ++p;
    }
  }
  return len;
}

long long TextToInt64(const char* text) {
  if (text == nullptr) return 0;
  return strtoll(text, nullptr, 10);  // held at LLONG_MIN/LLONG_MAX on overflow
}

int TextToInt32(const char* text) {
  if (text == nullptr) return 0;
  long long number = strtoll(text, nullptr, 10);
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int>(number);
}
