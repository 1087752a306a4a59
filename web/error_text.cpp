#include "web/error_text.h"

#include <cstring>

#include "common/bounded_text.h"

void BuildErrorText(char* out, size_t size, const char* word, const char* code,
                    const char* message, const char* arg) {
  if (size == 0) return;
  memset(out, 0, size);
  if (code != nullptr) {
    TextAppend(out, size, "- ");
    TextAppend(out, size, word);
    TextAppend(out, size, ": ");
    TextAppend(out, size, code);
    TextAppend(out, size, " :");
  }
  if (message != nullptr) {
    if (arg != nullptr) {
      char filled[256];
      TextFillPattern(filled, sizeof filled, message, arg);
      TextAppend(out, size, filled);
    } else {
      TextAppend(out, size, message);
    }
  } else if (arg != nullptr) {
    TextAppend(out, size, arg);
  }
}
