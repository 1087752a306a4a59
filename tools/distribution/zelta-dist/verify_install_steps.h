// The catalogue sections of the last install steps: file types, fonts and
// the program group's commands, as far as the installer reads them.
#ifndef ZELTA_VENDOR_DIST_VERIFY_INSTALL_STEPS_H
#define ZELTA_VENDOR_DIST_VERIFY_INSTALL_STEPS_H

#include <string>

#include "tools/distribution/zelta-dist/verify_catalogue.h"
#include "tools/distribution/zelta-dist/verify_problems.h"

// [RegistryCommand], [FontsCommand] and [Command]: entries that end a list
// early, lack their partner key, or that the installer leaves out because
// they do not fit its 255-character texts (with the longest Windows
// directory it holds).
void CheckInstallSteps(const std::string& file, const std::string& text, const CatalogueFacts& facts,
                       SiteProblems& problems);

#endif
