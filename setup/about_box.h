// The information dialog "AboutBox", opened from the setup dialog's "Infó"
// button: the product, the installer and the maker.
#ifndef ZELTA_SETUP_ABOUT_BOX_H
#define ZELTA_SETUP_ABOUT_BOX_H

#include <windows.h>

// Ends the dialog with 1 on OK or Cancel (so also on Enter and Escape).
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
