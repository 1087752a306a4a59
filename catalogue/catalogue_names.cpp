#include "catalogue/catalogue_names.h"

#include "common/bounded_text.h"

const char CatalogueFileName[] = "Install.ini";

// Disc numbers below 10 get a leading zero, 10 to 15 none: "Disc%2i" with
// the blank turned into "0" and "Disc%02i" give the same names.
size_t FormatDiscSection(char* out, size_t size, int disc) {
  return TextFormat(out, size, "Disc%02i", disc);
}

size_t FormatDiscFolder(char* out, size_t size, int disc) {
  return TextFormat(out, size, "Disc_%02i", disc);
}

size_t FormatFileListName(char* out, size_t size, int disc) {
  return TextFormat(out, size, "Fajls_%i.ini", disc);
}

size_t FormatNumberedKey(char* out, size_t size, const char* prefix, int number) {
  return TextFormat(out, size, "%s%i", prefix, number);
}

char DriveLetter(int drive) {
  return static_cast<char>(64 + drive);
}
