// Test support for the install steps: catalogues in the temporary folder,
// the stand-in installed program, files and trees another process makes or
// holds.
#ifndef ZELTA_TESTS_WIN_INSTALL_TEST_SUPPORT_H
#define ZELTA_TESTS_WIN_INSTALL_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/wait_until.h"

// Writes content as the catalogue file `name` in the temporary folder and
// makes it InstallState.CataloguePath. Returns its path.
std::string WriteTestCatalogue(const std::string& name, const std::string& content);

// Writes a whole file (parent folders are made).
void WriteTestFile(const std::string& path, const std::string& content);

// The stand-in for the installed system, built next to the test program.
std::string SampleProductPath();

// Copies the stand-in to path (parent folders are made); false on failure.
bool InstallSampleProduct(const std::string& path);

// Waits (running this thread's messages) until the file exists; false after
// ms milliseconds.
bool WaitForFile(const std::string& path, DWORD ms = StatePatience);

// Removes an installed tree that the system started from it may still hold
// for a moment; false when it is still there after ms milliseconds.
bool RemoveInstalledTree(const std::string& root, DWORD ms = StatePatience);

// The Windows directory as the installer reads it ("windir").
std::string WindowsDirectoryOfProcess();

// What a saved shell link holds, read back through the shell.
struct LinkFields {
  bool loaded = false;
  std::string path;
  std::string workingFolder;
  std::string description;
  std::string iconFile;
  int iconIndex = -1;
};

LinkFields ReadLink(const std::string& linkPath);

// Deletes a registry key with everything below it under HKLM (no error
// when it is not there).
void DeleteMachineKey(const std::string& path);

// A folder named by a Unix path in an environment variable, as a Windows
// path through the Z: drive; empty when the variable is not set.
std::string UnixFolderFromEnvironment(const char* variable);

// Every file below `folder`, as paths relative to it (prefixed by `prefix`).
void ListFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>* files);

// A REG_SZ value under HKLM, or "<no key>" / "<no value>".
std::string MachineValue(const char* key, const char* name);

// A shell folder of the current user (CSIDL_DESKTOP, CSIDL_PROGRAMS, ...).
std::string ShellFolder(int csidl);

#endif
