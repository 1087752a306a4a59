// Paths from the catalogue and the file lists that are joined to a folder of
// the installation (the root, the Windows directory, a disc folder in the
// download area). They come from the server, so they must not lead out of
// that folder.
#ifndef ZELTA_INSTALL_CONTAINED_PATH_H
#define ZELTA_INSTALL_CONTAINED_PATH_H

#include <cstddef>

// True for a path that names something below its folder: exactly one
// backslash first, then names separated by backslashes (or slashes), none
// of them empty, made only of dots and blanks (no "..", however it is
// written) or a device name (common/device_name.h), and no colon anywhere
// (no drive, no stream).
bool IsContainedPath(const char* relative);

// Writes base + relative into out (cut at the bound, for messages) and
// tells whether the result names a place below base: the base is not empty,
// the relative part IsContainedPath and the whole fitted.
bool JoinContainedPath(char* out, size_t size, const char* base, const char* relative);

// For the catalogue's directory list, whose values are joined to the root's
// name without a separator: false when the value holds a colon, a name made
// only of dots and blanks (it cannot climb out of the root) or a device name.
bool IsHarmlessDirectoryValue(const char* value);

#endif
