// The program's message boxes with texts from the string table.
#ifndef ZELTA_WINDOW_STRING_MESSAGE_H
#define ZELTA_WINDOW_STRING_MESSAGE_H

#include <windows.h>

#include <cstddef>

// Shows string-table message `id`, its "%s" filled with arg1 and arg2 (either
// may be null) and cut to `size` bytes, in a box with the installer's caption
// and `style`. Returns the button pressed.
int ShowStringMessage(HWND owner, UINT id, size_t size, UINT style, const char* arg1, const char* arg2 = nullptr);

#endif
