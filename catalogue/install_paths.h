// The paths on the target drive, built from the drive and the installation
// root: the installed system and the download area. Every builder takes the full size of its destination
// and refuses a result that would not fit: a cut path would name another
// place, so callers leave out what depends on it.
#ifndef ZELTA_CATALOGUE_INSTALL_PATHS_H
#define ZELTA_CATALOGUE_INSTALL_PATHS_H

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

// "X:\Root\ZeltaWin32\Install": the download area.
bool FormatDownloadArea(char* out, size_t size, int drive, const char* root);

// InstallState.BasePath + "Install\", then the disc folder, then "\" + name.
size_t BuildLocalPath(char* out, size_t size, const char* discFolder, const char* fileName);

// The same, refused instead of cut: false, with out empty, when the whole
// path does not fit (cut, it would name another file).
bool BuildWholeLocalPath(char* out, size_t size, const char* discFolder, const char* fileName);

// True when the paths the run builds on this root from fixed names all fit
// in a path buffer (at most 255 characters): the download area, every disc
// folder with its file list and the catalogue's copy in Disc_01 (the
// installed system's fixed paths and the base of every target are shorter).
// Decided once, when the root is read; only the names from the file lists
// and the catalogue's lists come on top, and those are refused where they
// are joined if the whole does not fit.
bool RootDirectoryFits(int drive, const char* root);

#endif
