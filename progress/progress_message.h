// The worker's message boxes, over the progress dialog: its questions
// (overwrite, the next disc, go on after an error) and its errors.
#ifndef ZELTA_PROGRESS_PROGRESS_MESSAGE_H
#define ZELTA_PROGRESS_PROGRESS_MESSAGE_H

#include <windows.h>

#include <cstddef>

// String-table message `id` (window/string_message.h) in a box owned by
// the progress dialog. Returns the button pressed.
int ShowProgressMessage(UINT id, size_t size, UINT style, const char* arg1, const char* arg2 = nullptr);

// An error with a caption of its own, owned by the window that has the
// focus, or else by the progress dialog.
void ShowProgressError(const char* text, const char* caption);

#endif
