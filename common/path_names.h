// Names of paths that come from the server (the catalogue's root and
// directory list, the file lists' sources and targets) and are joined to a
// folder of the installation: the root, the Windows directory, a disc
// folder in the download area. They must not lead out of that folder, so
// every one is walked by the same rule: no colon anywhere (no drive, no
// stream), and every name between backslashes (or slashes) is neither
// empty, nor made only of dots and blanks (no "..", however it is written),
// nor a device name (common/device_name.h). The routines differ only in
// how the path begins, which is how each is joined to its folder.
#ifndef ZELTA_COMMON_PATH_NAMES_H
#define ZELTA_COMMON_PATH_NAMES_H

#include <cstddef>

// A source of a file list, named below its disc folder with the leading
// backslash taken off (web/vendor_paths.h SourceNameFromEntry): the names
// alone ("Systems\bin\zelta.exe").
bool IsSafeSourceName(const char* name);

// A target below its folder: exactly one backslash first, then the names.
bool IsContainedPath(const char* relative);

// Writes base + relative into out (cut at the bound, for messages) and
// tells whether the result names a place below base: the base is not empty,
// the relative part IsContainedPath and the whole fitted.
bool JoinContainedPath(char* out, size_t size, const char* base, const char* relative);

// A value of the catalogue's directory list, joined to the root's name
// without a separator: empty (the root itself), or the names with one
// backslash first or none ("Sibling", a folder beside the root whose name
// begins with the root's, is harmless and kept), and at most one last.
bool IsHarmlessDirectoryValue(const char* value);

// The catalogue's root directory, below the drive's root: the names, as for
// a source, except that a name of dots and blanks other than ".." itself
// is not refused here. No folder can be made for it, so the run ends as
// cancelled where the root's folder is made, with no message box, as it
// always has.
bool IsSafeRootName(const char* root);

#endif
