// The one conversation of the process with the Program Manager, and the
// command block that waits for its answer: kept apart so that the program
// group and the installer's last act can both give the block back.
#ifndef ZELTA_INSTALL_GROUP_CONVERSATION_H
#define ZELTA_INSTALL_GROUP_CONVERSATION_H

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

// Unlocks and frees the command block, when there is one.
void ReleaseCommandBlock();

#endif
