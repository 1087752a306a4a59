// The program group: the catalogue's "Command" entries sent one by one to
// the shell's Program Manager DDE service ("PROGMAN"), each after the
// answer to the one before. The last answer hands over to
// FinishInstallation. Runs on the user-interface thread, whose message loop
// delivers the answers.
#ifndef ZELTA_INSTALL_PROGRAM_GROUP_H
#define ZELTA_INSTALL_PROGRAM_GROUP_H

#include <windows.h>

// The one conversation of the process.
struct GroupConversationRecord {
  bool Initiating;      // while the initiation broadcast runs
  HWND ServerWindow;    // the first window that answered the initiation
  HWND ClientWindow;    // the "ClientDDE" window
  bool Finished;        // no further command, or a post failed
  HGLOBAL CommandBlock; // the command awaiting its answer (256 bytes)
  char* CommandCursor;  // set while the block is locked: just past the last byte written
  int CommandNumber;    // number of the last "Command%i" key read
};

extern GroupConversationRecord GroupConversation;

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

// Unlocks and frees the command block, when there is one.
void ReleaseCommandBlock();

#endif
