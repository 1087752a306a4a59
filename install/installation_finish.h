// The installer's last act: close and, if asked, start the installed system.
#ifndef ZELTA_INSTALL_INSTALLATION_FINISH_H
#define ZELTA_INSTALL_INSTALLATION_FINISH_H

// Releases the last command block of the program group, destroys the main
// window (and with it every window of the installer) and, when
// StartAfterInstall is set, starts X:\Root\ZeltaWin32\ZeltaWin32.exe
// without waiting for it. A failed start only beeps.
void FinishInstallation();

#endif
