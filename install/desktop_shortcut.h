// The desktop link to the installed system, named after the program group.
#ifndef ZELTA_INSTALL_DESKTOP_SHORTCUT_H
#define ZELTA_INSTALL_DESKTOP_SHORTCUT_H

#include <cstddef>

// Puts "<group name>.lnk" on the user's desktop, pointing to the installed
// executable, with the installed system's folder as working folder and the
// executable's first icon. No group name, no link.
void CreateDesktopShortcut();

// The group name of the first "[CreateGroup(" command of section "Command"
// in the catalogue at cataloguePath (Command1, Command2, ... until the first
// absent one). 0 when a name was found and copied into name (cut to
// capacity - 1 bytes), 1 when not.
int FindGroupName(const char* cataloguePath, char* name, size_t capacity);

// Saves a shell link at linkPath. All texts are in the ANSI code page.
// 1 when the link was saved, 0 when not.
int WriteShellLink(const char* target, const char* description, const char* workingFolder,
                   const char* linkPath);

#endif
