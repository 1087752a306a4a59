// Drives the real ZeltaWebInstall.exe from another process, as a user
// would: finds its windows by class, caption and control ids, types, clicks,
// follows the progress dialog and answers the message boxes.
#ifndef ZELTA_TESTS_E2E_INSTALLER_SESSION_H
#define ZELTA_TESTS_E2E_INSTALLER_SESSION_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win/wait_until.h"

class InstallerSession {
 public:
  // Starts the program with no arguments.
  bool Start(const std::string& program);
  ~InstallerSession();

  // The title window, the setup dialog and the progress dialog of the
  // program (null until they appear or after `ms` milliseconds).
  HWND WaitForMainWindow(DWORD ms = StatePatience);
  HWND WaitForSetupDialog(DWORD ms = StatePatience);
  HWND WaitForProgressDialog(DWORD ms = StatePatience);

  // A message box of the program with the installer's caption; null after ms.
  HWND WaitForMessageBox(DWORD ms = StatePatience);
  static std::string MessageText(HWND box);
  // Presses a button of the box and waits until the box has gone.
  static void Answer(HWND box, int button);

  // Types a whole new text into an edit field, as one change.
  static void Type(HWND dialog, int item, const char* text);
  // Clicks a button or check box (it must be enabled). The click is posted:
  // it takes effect when the program gets to it.
  static void Click(HWND dialog, int item);
  // Waits until a check box shows `checked`; false if it does not within ms.
  static bool WaitForCheck(HWND dialog, int item, bool checked, DWORD ms = StatePatience);
  static std::string Text(HWND dialog, int item);
  static bool Checked(HWND dialog, int item);
  static bool Enabled(HWND dialog, int item);

  // Follows the progress dialog until its ending: records every phase line
  // it sees, answers message boxes with `answer` (called with the box text;
  // return the button), and calls `during` on every turn (e.g. to cancel).
  // Returns when the dialog is gone or shows "Kilépés"; `ms` bounds it.
  struct Progress {
    std::vector<std::string> phases;
    std::vector<std::string> messages;  // texts of the boxes answered
    std::string message;                // message area at the end
    std::string button;                 // button text at the end
    bool buttonEnabled = false;
    bool ended = false;                 // the dialog closed by itself
  };
  Progress Follow(HWND progress, const std::function<int(const std::string&)>& answer,
                  const std::function<void(HWND)>& during = nullptr, DWORD ms = 120000);

  // Waits for the program to end; returns its exit code, or -1 after ms.
  int WaitForExit(DWORD ms = StatePatience);

  // Saves the whole screen as a 24-bit BMP.
  static bool SaveScreen(const std::string& path);

  DWORD pid() const { return process_.dwProcessId; }

 private:
  HWND FindTopLevel(const std::function<bool(HWND)>& match) const;
  HWND WaitFor(const std::function<bool(HWND)>& match, DWORD ms) const;

  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

#endif
