// The text rules of the catalogue and the file lists, as the installer
// reads them.
#ifndef ZELTA_VENDOR_DIST_VERIFY_TEXT_H
#define ZELTA_VENDOR_DIST_VERIFY_TEXT_H

#include <cstddef>
#include <string>

#include "tools/distribution/zelta-dist/verify_problems.h"

// The 1-based line of byte `offset`, lines ending at LF as an editor counts
// them (so that a line with a wrong ending still gets its own number).
int LineAt(const std::string& text, size_t offset);

// Not empty, no UTF-8 byte order mark, CR LF line ends only, at most 255
// bytes a line, Windows-1250: no unassigned byte, no control byte but the
// tab. One problem per rule and line.
void CheckInstallerText(const std::string& file, const std::string& text, SiteProblems& problems);

#endif
