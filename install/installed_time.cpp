#include "install/installed_time.h"

#include "common/bounded_text.h"

size_t FormatInstalledTime(char* out, size_t size, int year, int month, int day, int hour,
                           int minute, int second) {
  return TextFormat(out, size, "%d.%02d.%02d. %02d:%02d:%02d", year, month, day, hour, minute,
                    second);
}
