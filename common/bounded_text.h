// Bounded text helpers for the fixed 8-bit text buffers of the installer.
// Every routine takes the full size of its destination, cuts off what does
// not fit and always leaves the destination NUL-terminated (for a size > 0).
#ifndef ZELTA_COMMON_BOUNDED_TEXT_H
#define ZELTA_COMMON_BOUNDED_TEXT_H

#include <cstddef>

#if defined(__MINGW32__)
#define ZELTA_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define ZELTA_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

// Copies src into dst. Returns the length of the result.
size_t TextCopy(char* dst, size_t size, const char* src);

// Appends src to the text in dst. Returns the length of the result.
size_t TextAppend(char* dst, size_t size, const char* src);

// Appends at most count bytes of src (stopping at a NUL).
size_t TextAppendPart(char* dst, size_t size, const char* src, size_t count);

// printf-style formatting into dst. Only for formats written in the code.
size_t TextFormat(char* dst, size_t size, const char* format, ...) ZELTA_PRINTF(3, 4);

// Fills a message pattern (a string-table or other non-literal text): each
// "%s" takes the next of the given arguments (a missing or null argument
// gives an empty text), "%%" gives "%", and every other character stands as
// it is. No other conversion is honoured, so a pattern can never read
// arguments that are not there.
size_t TextFillPattern(char* dst, size_t size, const char* pattern,
                       const char* arg1, const char* arg2 = nullptr);

// Decimal text to a number as the C library reads it (leading blanks, a
// sign, digits up to the first other character; 0 when there are none),
// held at the 32-bit limits instead of overflowing.
int TextToInt32(const char* text);

// The same for 64-bit numbers (sizes), held at the 64-bit limits.
long long TextToInt64(const char* text);

// Array forms: the size comes from the buffer itself.
template <size_t N> inline size_t TextCopy(char (&dst)[N], const char* src) {
  return TextCopy(dst, N, src);
}
template <size_t N> inline size_t TextAppend(char (&dst)[N], const char* src) {
  return TextAppend(dst, N, src);
}

#endif
