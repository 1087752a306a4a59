// Names formed from numbers: catalogue sections, numbered keys, disc folders
// and file lists. Discs are numbered 1 to 15.
#ifndef ZELTA_CATALOGUE_CATALOGUE_NAMES_H
#define ZELTA_CATALOGUE_CATALOGUE_NAMES_H

#include <cstddef>

// The catalogue's name; it lies in the folder of disc 1.
extern const char CatalogueFileName[];  // "Install.ini"

// "Disc01" ... "Disc15": the catalogue section of a disc.
size_t FormatDiscSection(char* out, size_t size, int disc);

// "Disc_01" ... "Disc_15": the disc folder on the server and in the download area.
size_t FormatDiscFolder(char* out, size_t size, int disc);

// "Fajls_1.ini" ... "Fajls_15.ini": the file list of a disc.
size_t FormatFileListName(char* out, size_t size, int disc);

// A numbered key such as "File7", "Dir12" or "Command3".
size_t FormatNumberedKey(char* out, size_t size, const char* prefix, int number);

// The letter of drive number 1 (A) ... 26 (Z).
char DriveLetter(int drive);

#endif
