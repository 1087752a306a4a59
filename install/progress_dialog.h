// The progress dialog "WebLoadBox" and the start of the install worker.
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

// Lays the animation control over a dialog item and plays a clip. Does
// nothing while there is no progress dialog.
void StartAnimation(int item, WORD clip);

// Stops the animation and plays another clip on the same control.
void SwitchAnimation(WORD clip);

#endif
