// InstallState: the one process-wide record of the installation. The user's
// choices, the paths derived from them, what the catalogue says about the
// distribution, the progress counters, the flags and the windows the worker
// writes to. Shared by the interface thread and the worker without a lock:
// the worker reads the choices only while the setup dialog waits behind the
// modal progress dialog, and the two flags that cross threads are aligned
// 32-bit words that only ever change one way.
//
// All texts are NUL-terminated Windows-1250 strings in fixed buffers.
#ifndef ZELTA_CATALOGUE_INSTALL_STATE_H
#define ZELTA_CATALOGUE_INSTALL_STATE_H

#include <cstdint>

#include "catalogue/components.h"

// The window handle types without windows.h (the same types it declares).
struct HINSTANCE__;
struct HWND__;

enum {
  DiscCount = 15,
  TextSize = 256,            // every path and value: at most 255 characters
  WindowsDirectorySize = 80,
  CaptionSize = 29,
};

// What the server catalogue says about one disc, for the chosen components.
struct DiscContentRecord {
  uint8_t Present[ComponentCount];
  int64_t Bytes[ComponentCount];
};

struct InstallStateRecord {
  // The user's choices.
  int32_t TargetDrive;                      // 1 = A ... 26 = Z
  int32_t ComponentChosen[ComponentCount];
  int32_t StartAfterInstall;                // initially 1
  char RootDirectory[TextSize];

  // Derived paths.
  char BasePath[TextSize];        // "X:\" then RootDirectory + "\ZeltaWin32\"
  char CataloguePath[TextSize];   // local copy of Install.ini
  char DownloadArea[TextSize];    // BasePath + "Install\"
  char FileListPath[TextSize];    // file list of the disc being installed
  int32_t CurrentDisc;            // 0 ... 14
  char WindowsDirectory[WindowsDirectorySize];

  // Catalogue data.
  char DiscName[DiscCount][TextSize];
  int32_t ComponentOnDisc[ComponentCount][DiscCount];
  int32_t ComponentDownload[ComponentCount];  // initially all 1
  DiscContentRecord DiscContent[DiscCount];

  // Progress counters, in bytes: 64-bit, since the total counts every byte
  // twice (download and installation) and passes 2^31 a little over 1 GiB.
  int64_t DownloadBytes;
  int64_t InstallBytes;
  int64_t ProgressTotal;
  int64_t ProgressDone;

  // Flags. The first two cross threads.
  volatile int32_t CancelRequested;  // 0 -> 1 only, never reset
  volatile int32_t WorkerRunning;    // written by the worker only
  int32_t SecureMode;                // 1: HTTPS web host, 0: HTTP download host
  int32_t FileCopyAborted;           // 0 -> 1 only, never reset

  // Handles shared with the worker.
  HINSTANCE__* Instance;
  char Caption[CaptionSize];         // caption of the installer's message boxes
  HWND__* MainWindow;
  HWND__* SetupDialog;
  HWND__* ProgressDialog;
  HWND__* ProgressBar;
};

extern InstallStateRecord InstallState;

// Puts every field back to its initial value (process start).
void ResetInstallState();

#endif
