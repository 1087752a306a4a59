// Error texts with words from the string table.
#ifndef ZELTA_WEB_ERROR_FORMATTER_H
#define ZELTA_WEB_ERROR_FORMATTER_H

#include <cstddef>

// Builds "- Hiba: <code> :" (when code is given) followed by string-table
// entry `messageId` filled with `arg` (messageId > 0), or by `arg` itself
// (messageId <= 0). "Hiba" is entry 649, loaded once per process.
void ErrorFormatter(char* out, size_t size, const char* code, int messageId, const char* arg);

#endif
