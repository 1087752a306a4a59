// How the installer names things on the vendor's hosts, taken from its own
// URL builders so that the check asks exactly what it would ask.
#ifndef ZELTA_VENDOR_DIST_INSTALLER_URLS_H
#define ZELTA_VENDOR_DIST_INSTALLER_URLS_H

#include <string>

// The update folder URL the installer uses: "https://<web host>/Download/UpDate-V9.20"
// (secure) or "http://<download host>/UpDate-V9.20".
std::string InstallerFolderUrl(bool secure);

// The update folder below the host's root: "Download/UpDate-V9.20" or "UpDate-V9.20".
std::string InstallerFolderPath(bool secure);

// Below the update folder: the probe file ("Update.ini") and the product
// folder ("VarnelDemo"), as the installer appends them.
std::string InstallerProbeName();
std::string InstallerProductFolder();

// The host part of a URL ("www.zeltasoft.example" or "localhost:8443").
std::string UrlHost(const std::string& url);

// A path below the update folder as it goes into a URL: backslashes as '/'
// (WinINet sends them so), blanks, controls and 8-bit bytes as %XX; the
// rest as the installer sends it.
std::string UrlPathOf(const std::string& path);

#endif
