// The program group: the catalogue's "Command" entries sent one by one to
// the shell's Program Manager DDE service ("PROGMAN"), each after the
// answer to the one before. The last answer hands over to
// FinishInstallation. Runs on the user-interface thread, whose message loop
// delivers the answers.
#ifndef ZELTA_INSTALL_PROGRAM_GROUP_H
#define ZELTA_INSTALL_PROGRAM_GROUP_H

#include <windows.h>

#include "install/group_conversation.h"

// Registers "ClientDDEWndClass", makes the "ClientDDE" child window of
// parent, finds the Program Manager and sends the first command. Nothing
// happens when the class or the window cannot be made.
void StartProgramGroup(HWND parent);

// Reads the next command of the catalogue, expands it and posts it to the
// server; sets Finished when there is none (or the post failed). A command
// whose expansion does not fit in the 256-byte block is not sent: the next
// one is read in its place.
void SendNextGroupCommand();

// The window procedure of "ClientDDEWndClass".
LRESULT CALLBACK ClientDdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
