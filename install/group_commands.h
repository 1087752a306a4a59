// The catalogue's Program Manager commands as they are sent, and the group
// name that the desktop link takes from them.
#ifndef ZELTA_INSTALL_GROUP_COMMANDS_H
#define ZELTA_INSTALL_GROUP_COMMANDS_H

#include <cstddef>

// Expands one command of the catalogue's "Command" section:
//  1. in a help viewer command (one that holds "WinHlp32.exe" or "hh.exe",
//     case-sensitive) every "%s" becomes windowsDirectory;
//  2. then every "#" becomes the installation root: the drive letter, ":\"
//     and rootDirectory.
// The command is plain text, never a format: in a help viewer command "%%"
// becomes "%" (as formatting made it), and every other character, other "%"
// sequences included, is kept as it stands.
// Returns false, with out empty, when the whole expansion does not fit in
// size bytes (terminating zero included); such a command is not sent at all,
// since a cut one could name another file or group.
bool ExpandGroupCommand(char* out, size_t size, const char* command, const char* windowsDirectory,
                        int drive, const char* rootDirectory);

// True when the command creates a group: "[CreateGroup(" at its very start.
bool IsGroupCreation(const char* command);

// The name of a group creation: the text after "[CreateGroup(" up to the
// first ")]", further parameters and commas included, cut to size - 1
// bytes. False, with name empty, when the command is no group creation,
// has no ")]" or gives an empty name.
bool GroupNameOf(const char* command, char* name, size_t size);

// True when name can stand as one file name in a folder: not empty and
// free of path separators, the drive colon, wildcards, the other characters
// Windows refuses in file names and control characters. A group name from
// the catalogue must not lead the desktop link out of the desktop folder.
bool IsPlainFileName(const char* name);

#endif
