// The progress display of the progress dialog: bar and percent field.
#ifndef ZELTA_INSTALL_ADVANCE_PROGRESS_H
#define ZELTA_INSTALL_ADVANCE_PROGRESS_H

#include <cstddef>
#include <cstdint>

// Adds `bytes` to ProgressDone and shows the new bar position (0 to 1000)
// and percentage (0.0% to 100.0%).
void AdvanceProgress(int64_t bytes);

// "%5.1f%%" of a share given in thousandths.
size_t FormatPercent(char* out, size_t size, double thousandths);

#endif
