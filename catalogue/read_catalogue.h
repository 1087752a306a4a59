// Reading of the local catalogue (Install.ini in the download area).
#ifndef ZELTA_CATALOGUE_READ_CATALOGUE_H
#define ZELTA_CATALOGUE_READ_CATALOGUE_H

// Reads the catalogue at InstallState.CataloguePath into DiscName and
// ComponentOnDisc. Looks at all 15 discs; a disc is there when its section
// has a Name. Component flags are only ever set, never cleared.
void ReadCatalogue();

#endif
