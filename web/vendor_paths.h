// Where the vendor's files are, on the server and in the download area, and
// how a file is named in the progress dialog. Every text is built in a
// caller's buffer with the bound given; what does not fit is cut off.
#ifndef ZELTA_WEB_VENDOR_PATHS_H
#define ZELTA_WEB_VENDOR_PATHS_H

#include <cstddef>

// What every request says it comes from.
extern const char InstallerUserAgent[];  // "ZeltaCAD UpDate"

// The catalogue's name; it lies in the folder of disc 1.
extern const char CatalogueFileName[];   // "Install.ini"

// The two hosts, settings of the build (a host may carry ":port").
const char* WebHost();       // HTTPS, 443
const char* DownloadHost();  // HTTP, 80

// "https://<web host>/Download/UpDate-V9.20" or "http://<download host>/UpDate-V9.20",
// by InstallState.SecureMode.
size_t BuildUpdateFolderUrl(char* out, size_t size);

// "https://<web host>" or "http://<download host>", by InstallState.SecureMode:
// where the bytes of a download come from.
size_t BuildOrigin(char* out, size_t size);

// The probe file "Update.ini" in the update folder.
size_t BuildProbeUrl(char* out, size_t size);

// Update folder + "/VarnelDemo", then "/" + disc folder and "/" + file name
// when given (null leaves them out). Backslashes in the name stay as they are.
size_t BuildRemoteUrl(char* out, size_t size, const char* discFolder, const char* fileName);

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

// "https://... .../VarnelDemo/Disc_nn/name" (or "http://... .../..."):
// never the host or the update folder.
size_t BuildDisplayText(char* out, size_t size, const char* discFolder, const char* fileName);

// The file name of a file-list entry: leading blanks and one backslash
// skipped, ended by the first blank or comma.
size_t SourceNameFromEntry(char* out, size_t size, const char* value);

// False for a name that could leave its disc folder or name something else
// than a plain file below it: empty, a second root ("\" or "/" first), a
// drive or stream (":"), a ".." segment or a device name ("CON", "lpt1.txt").
bool IsSafeSourceName(const char* name);

#endif
