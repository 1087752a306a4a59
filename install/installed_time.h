// The time text of the installation record.
#ifndef ZELTA_INSTALL_INSTALLED_TIME_H
#define ZELTA_INSTALL_INSTALLED_TIME_H

#include <cstddef>

// "2019.01.10. 08:05:03": the year in full, everything else two digits.
size_t FormatInstalledTime(char* out, size_t size, int year, int month, int day, int hour,
                           int minute, int second);

#endif
