// The bytes of the work as the progress dialog shows them: the bar and the
// percent field. The download and the file installation count their bytes
// here; what the items show is in progress/progress_items.h.
#ifndef ZELTA_PROGRESS_ADVANCE_PROGRESS_H
#define ZELTA_PROGRESS_ADVANCE_PROGRESS_H

#include <cstdint>

#include "progress/progress_share.h"

// Adds `bytes` to ProgressDone and shows the new bar position (0 to 1000)
// and percentage (0.0% to 100.0%) of ProgressTotal.
void AdvanceProgress(int64_t bytes, NoTotalShare noTotal = NoTotalShowsNothing);

// Shows the percentage of `done` bytes in the percent field alone: a file
// on its way, whose bytes are counted (and move the bar) once it is done.
void ShowProgressPercent(int64_t done, NoTotalShare noTotal);

#endif
