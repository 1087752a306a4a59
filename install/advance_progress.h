// The progress display of the progress dialog: bar and percent field.
#ifndef ZELTA_INSTALL_ADVANCE_PROGRESS_H
#define ZELTA_INSTALL_ADVANCE_PROGRESS_H

#include <cstddef>
#include <cstdint>

// Progress dialog items.
enum {
  ItemMessageArea = 3202,
  ItemPhaseLine = 3201,
  ItemFileLine = 508,
  ItemProgressBar = 3206,
  ItemActivityMark = 521,
  ItemPercent = 520,
};

// Adds `bytes` to ProgressDone and shows the new bar position (0 to 1000)
// and percentage.
void AdvanceProgress(int32_t bytes);

// "%5.1f%%" of a share given in thousandths.
size_t FormatPercent(char* out, size_t size, double thousandths);

#endif
