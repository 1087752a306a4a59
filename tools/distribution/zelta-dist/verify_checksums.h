// A disc's checksum list (Fajls_N.sha256) against the files the download
// fetches from that disc, as the installer reads it.
#ifndef ZELTA_VENDOR_DIST_VERIFY_CHECKSUMS_H
#define ZELTA_VENDOR_DIST_VERIFY_CHECKSUMS_H

#include "tools/distribution/zelta-dist/verify_file_list.h"
#include "tools/distribution/zelta-dist/verify_problems.h"

// `totals` as CheckFileList filled it for the disc.
void CheckChecksumList(const DiscPlace& disc, const DiscTotals& totals, SiteProblems& problems);

#endif
