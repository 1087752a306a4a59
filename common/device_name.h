// Names that Windows takes for a device wherever they stand in a path: a
// file or folder of that name can be neither made nor read, and opening
// one reaches the device instead.
#ifndef ZELTA_COMMON_DEVICE_NAME_H
#define ZELTA_COMMON_DEVICE_NAME_H

#include <cstddef>

// True for a name that Windows takes for a device in whatever folder it
// stands: CON, PRN, AUX, NUL, COM1 ... COM9, LPT1 ... LPT9, in any case,
// alone or with an extension ("nul.txt", "Com1 .log"). `length` bytes of
// `name` are looked at: one name of a path.
bool IsDeviceName(const char* name, size_t length);

// True when any name of the path (separated by backslashes or slashes) is a
// device name.
bool HoldsDeviceName(const char* path);

#endif
