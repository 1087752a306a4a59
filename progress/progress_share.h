// The share of the work done, as the progress bar and the percent field
// show it: thousandths of the total, from 0 to 1000.
#ifndef ZELTA_INSTALL_PROGRESS_SHARE_H
#define ZELTA_INSTALL_PROGRESS_SHARE_H

#include <cstdint>

// `done` of `total` bytes in thousandths, held between 0 and 1000; 0 when
// there is no total. Exact for any sizes a distribution can have.
double ProgressThousandths(int64_t done, int64_t total);

#endif
