// `zelta-dist verify SITE`: is a site, as it is about to be uploaded, a
// distribution the installer accepts? Reads SITE/web/<web update folder>
// and SITE/download/<download update folder> in the layout `site` writes.
#ifndef ZELTA_VENDOR_DIST_VERIFY_SITE_H
#define ZELTA_VENDOR_DIST_VERIFY_SITE_H

#include <cstdint>
#include <string>

#include "tools/distribution/zelta-dist/verify_problems.h"

struct SiteVerification {
  SiteProblems problems;  // sorted by file and line
  int discs = 0;          // discs the download goes through
  int files = 0;          // their file-list entries
  uint64_t bytes = 0;     // the real bytes of those files
};

SiteVerification VerifySite(const std::string& site);

// Every problem as "FILE:LINE: what" (or "FILE:LINE: warning: what"), then
// "N problems in M files (E errors, W warnings)" or "site is good: D discs,
// F files, B bytes".
std::string FormatVerification(const SiteVerification& verification);

// The exit code: 1 when there are errors (or, with `strict`, warnings), else 0.
int VerificationExitCode(const SiteVerification& verification, bool strict);

#endif
