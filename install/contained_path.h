// Paths from the catalogue and the file lists that are joined to a folder of
// the installation (the root, the Windows directory, a disc folder in the
// download area). They come from the server, so they must not lead out of
// that folder.
#ifndef ZELTA_INSTALL_CONTAINED_PATH_H
#define ZELTA_INSTALL_CONTAINED_PATH_H

#include <cstddef>

// True for a path that names something below its folder: exactly one
// backslash first, then names separated by backslashes (or slashes), none
// of them empty or made only of dots and blanks (no "..", however it is
// written), and no colon anywhere (no drive, no stream).
bool IsContainedPath(const char* relative);

// Writes base + relative into out (cut at the bound, for messages) and
// tells whether the result names a place below base: the base is not empty,
// the relative part IsContainedPath and the whole fitted.
bool JoinContainedPath(char* out, size_t size, const char* base, const char* relative);

// For the catalogue's directory list, whose values are joined to the root's
// name without a separator: false when the value holds a colon or a name
// made only of dots and blanks, so that it cannot climb out of the root.
bool IsHarmlessDirectoryValue(const char* value);

// True for a name that Windows takes for a device in whatever folder it
// stands: CON, PRN, AUX, NUL, COM1 ... COM9, LPT1 ... LPT9, in any case,
// alone or with an extension ("nul.txt", "Com1 .log"). `length` bytes of
// `name` are looked at: one name of a path.
bool IsDeviceName(const char* name, size_t length);

// True when any name of the path (separated by backslashes or slashes) is a
// device name.
bool HoldsDeviceName(const char* path);

#endif
