// The paths of the installed system, built from the target drive and the
// installation root. Every builder takes the full size of its destination
// and refuses a result that would not fit: a cut path would name another
// place, so callers leave out what depends on it.
#ifndef ZELTA_INSTALL_INSTALL_PATHS_H
#define ZELTA_INSTALL_INSTALL_PATHS_H

#include <cstddef>

// Joins up to four texts (null ones are skipped) into out. False, with out
// empty, when the whole result does not fit.
bool JoinWhole(char* out, size_t size, const char* a, const char* b, const char* c = nullptr,
               const char* d = nullptr);

// "X:\Root": the installation root of drive number 1 (A) ... 26 (Z).
bool FormatInstallRoot(char* out, size_t size, int drive, const char* root);

// "X:\Root\ZeltaWin32": the installed system's folder.
bool FormatSystemFolder(char* out, size_t size, int drive, const char* root);

// "X:\Root\ZeltaWin32\ZeltaWin32.exe": the installed executable.
bool FormatInstalledExecutable(char* out, size_t size, int drive, const char* root);

#endif
