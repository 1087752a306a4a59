// The setup dialog's and the drive chooser's error boxes.
#ifndef ZELTA_SETUP_SETUP_MESSAGE_H
#define ZELTA_SETUP_SETUP_MESSAGE_H

#include <windows.h>

// Shows string-table message `id`, its "%s" filled with arg (may be null),
// with the error icon, an OK button and the installer's caption.
void ShowSetupError(HWND owner, UINT id, const char* arg);

#endif
