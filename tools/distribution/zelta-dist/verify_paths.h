// The paths the installer builds from what the server says, and why one of
// them would be refused.
#ifndef ZELTA_VENDOR_DIST_VERIFY_PATHS_H
#define ZELTA_VENDOR_DIST_VERIFY_PATHS_H

#include <cstddef>
#include <string>

// A Windows directory as long as the installer can hold one: what lies below
// it must fit whatever the user's machine has.
std::string LongestWindowsDirectory();

// The drive the lengths are taken with; every letter is one character.
enum { VerifyDrive = 3 };

// Why a path from the server ("\a\b") cannot be joined below its folder, or
// "" when it can: the installer's IsContainedPath, and no device name.
std::string PathFault(const std::string& relative);

// Why a name cannot be a file or folder name on Windows ("" when it can).
std::string NameFault(const std::string& path);

// "C:\" + root + "\ZeltaWin32\": the base of the download area, as the
// installer forms it once the catalogue is read.
std::string InstallerBasePath(const std::string& root);

// The lengths, uncut, of the URL (HTTPS or HTTP) and of the download-area
// path the installer builds for a file of a disc; both are cut at 255.
size_t DownloadUrlLength(bool secure, const std::string& discFolder, const std::string& fileName);
size_t DownloadPathLength(const std::string& root, const std::string& discFolder, const std::string& fileName);

// Windows names compare without case: ASCII and Windows-1250 letters folded.
std::string FoldWindowsCase(const std::string& text);

#endif
