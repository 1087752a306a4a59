// The progress dialog "WebLoadBox" and the start of the install worker. What
// the worker shows in it goes through progress/.
#ifndef ZELTA_INSTALL_PROGRESS_DIALOG_H
#define ZELTA_INSTALL_PROGRESS_DIALOG_H

#include <windows.h>

// Runs the progress dialog over the setup dialog. Returns 1 after a
// successful installation (the program group then follows), 0 otherwise
// (the setup dialog is then destroyed).
INT_PTR RunProgressDialog(HWND setupDialog);

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Starts InstallWorker on a thread of its own, below normal priority.
void StartWorker();

#endif
