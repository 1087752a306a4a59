// Copies the files of the chosen components from the downloaded discs to
// their places, as each disc's file list "Fajls_N.ini" says. Runs on the
// install worker; its message boxes are owned by the progress dialog.
#ifndef ZELTA_INSTALL_FILE_INSTALLATION_H
#define ZELTA_INSTALL_FILE_INSTALLATION_H

#include <cstdint>

struct HWND__;

// Visits discs 1 to 15 that hold one of the chosen components other than
// Setup, checks that each disc's file list belongs to it and installs its
// files. Returns 0 when every disc was handled, 1 when the user stopped:
// a refused disc check (command 403 is then posted to `window`) or a Cancel
// in one of the file messages (FileCopyAborted).
int32_t InstallFiles(HWND__* window);

// Installs the entries of disc CurrentDisc, whose file list is at
// FileListPath. Returns 1 when FileCopyAborted is set at the end, else 0.
int32_t InstallDiscFiles();

#endif
