// The catalogue Install.ini as the installer reads it: [System], the disc
// sections with their component sizes and the folder list.
#ifndef ZELTA_VENDOR_DIST_VERIFY_CATALOGUE_H
#define ZELTA_VENDOR_DIST_VERIFY_CATALOGUE_H

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/components.h"
#include "catalogue/install_state.h"
#include "tools/distribution/zelta-dist/verify_problems.h"

struct CatalogueDisc {
  int line = 0;                         // its section's header; 0: no section
  bool named = false;
  std::string name;                     // Windows-1250
  bool present[ComponentCount] = {};    // sized and fetched by the download
  int64_t bytes[ComponentCount] = {};   // the size as the installer reads it; -1: refused
  int keyLine[ComponentCount] = {};
};

struct CatalogueFacts {
  bool rootUsable = false;  // RootDirectory is there and the installer takes it
  std::string root;
  CatalogueDisc discs[DiscCount];
  // The folders that exist before files are copied, relative to the root
  // ("" the root itself), case folded.
  std::vector<std::string> folders;
};

// Checks the text and every key the installer reads, the registry, font
// and command sections included (verify_install_steps.h).
void CheckCatalogue(const std::string& file, const std::string& text, CatalogueFacts& facts, SiteProblems& problems);

#endif
