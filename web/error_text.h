// The uniform text of an error entry: "- <word>: <code> :" followed directly
// by the message. The string-table loading lives in ErrorFormatter
// (error_formatter.h); this is the part that needs no Windows.
#ifndef ZELTA_WEB_ERROR_TEXT_H
#define ZELTA_WEB_ERROR_TEXT_H

#include <cstddef>

// Clears all of `out`, then writes the prefix when `code` is given, then
// either `message` filled with `arg` (when a message text is given) or `arg`
// itself. Every piece is cut to what the buffer holds.
void BuildErrorText(char* out, size_t size, const char* word, const char* code,
                    const char* message, const char* arg);

#endif
