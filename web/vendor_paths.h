// Where the vendor's files are on the server, and how a file is named in the
// progress dialog (the download area is catalogue/install_paths.h). Every text is built in a
// caller's buffer with the bound given; what does not fit is cut off.
#ifndef ZELTA_WEB_VENDOR_PATHS_H
#define ZELTA_WEB_VENDOR_PATHS_H

#include <cstddef>

// What every request says it comes from.
extern const char InstallerUserAgent[];  // "ZeltaCAD UpDate"

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

// "https://... .../VarnelDemo/Disc_nn/name" (or "http://... .../..."):
// never the host or the update folder.
size_t BuildDisplayText(char* out, size_t size, const char* discFolder, const char* fileName);

// The file name of a file-list entry: leading blanks and one backslash
// skipped, ended by the first blank or comma.
size_t SourceNameFromEntry(char* out, size_t size, const char* value);

#endif
