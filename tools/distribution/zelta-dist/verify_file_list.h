// One disc's file list Fajls_N.ini: its text, its name, every entry of the
// components the catalogue puts on the disc, the files it names and their
// sizes against the catalogue.
#ifndef ZELTA_VENDOR_DIST_VERIFY_FILE_LIST_H
#define ZELTA_VENDOR_DIST_VERIFY_FILE_LIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/verify_catalogue.h"
#include "tools/distribution/zelta-dist/verify_problems.h"

struct DiscPlace {
  std::string site;    // the site folder
  std::string folder;  // the disc folder relative to it ("web/.../VarnelDemo/Disc_01")
  int number = 0;      // 1 ... 15
};

// A file the download fetches from the disc.
struct DiscSource {
  std::string name;    // as the download names it, without the leading backslash; empty: refused
  int line = 0;        // of its entry in the file list
  std::string stored;  // the stored file below the site; empty when it is not usable
};

struct DiscTotals {
  int files = 0;       // entries
  uint64_t bytes = 0;  // their real sizes
  std::vector<DiscSource> sources;  // in the order the download fetches them
};

// `catalogueFile` names the catalogue in problems about its sizes.
void CheckFileList(const DiscPlace& disc, const std::string& text, const std::string& catalogueFile,
                   const CatalogueFacts& catalogue, DiscTotals& totals, SiteProblems& problems);

#endif
