// What the two hosts' update folders must have in common: the probe file
// and, file for file, the same bytes.
#ifndef ZELTA_VENDOR_DIST_VERIFY_HOSTS_H
#define ZELTA_VENDOR_DIST_VERIFY_HOSTS_H

#include <string>

#include "tools/distribution/zelta-dist/verify_problems.h"

// SITE/FOLDER/Update.ini: there, not empty, and passing the installer's
// marker scan. `folder` is the update folder relative to the site.
void CheckProbe(const std::string& site, const std::string& folder, SiteProblems& problems);

// Every file below one update folder is below the other with the same
// bytes. Folders relative to the site.
void CompareHosts(const std::string& site, const std::string& webFolder, const std::string& downloadFolder,
                  SiteProblems& problems);

#endif
