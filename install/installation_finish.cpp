#include "install/installation_finish.h"

#include <windows.h>

#include <cstring>

#include "catalogue/install_state.h"
#include "catalogue/install_paths.h"
#include "install/group_conversation.h"

namespace {

// Starts the installed executable; false when it could not be started.
bool StartInstalledSystem() {
  char executable[TextSize];
  if (!FormatInstalledExecutable(executable, sizeof executable, InstallState.TargetDrive,
                                 InstallState.RootDirectory)) {
    return false;
  }
  // The program is named exactly, so that a root with blanks can never
  // start a program that the blanks would cut off ("C:\Zelta.exe" for
  // "C:\Zelta Demo\..."); its command line is quoted for the same reason.
  char commandLine[TextSize + 2];
  if (strchr(executable, ' ') != nullptr) {
    JoinWhole(commandLine, sizeof commandLine, "\"", executable, "\"");
  } else {
    JoinWhole(commandLine, sizeof commandLine, executable, nullptr);
  }

  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process;
  memset(&process, 0, sizeof process);
  if (!CreateProcessA(executable, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

}  // namespace

void FinishInstallation() {
  ReleaseCommandBlock();
  // The setup dialog and the "ClientDDE" window go with the main window.
  DestroyWindow(InstallState.MainWindow);
  if (InstallState.StartAfterInstall == 0) return;
  if (!StartInstalledSystem()) MessageBeep(MB_OK);
}
