// The share of the work done, as the progress bar and the percent field
// show it: thousandths of the total, from 0 to 1000.
#ifndef ZELTA_PROGRESS_PROGRESS_SHARE_H
#define ZELTA_PROGRESS_PROGRESS_SHARE_H

#include <cstddef>
#include <cstdint>

// What is shown while there is no total (a catalogue that gives no sizes).
enum NoTotalShare {
  NoTotalShowsNothing = 0,  // the download: 0.0% and an empty bar
  NoTotalShowsAStep = 10,   // the file installation: 1.0%, a sign that files go by
};

// `done` of `total` bytes in thousandths, held between 0 and 1000;
// `noTotal` when there is no total. Exact for any sizes a distribution can
// have.
double ProgressThousandths(int64_t done, int64_t total, NoTotalShare noTotal = NoTotalShowsNothing);

// "%5.1f%%" of a share given in thousandths.
size_t FormatPercent(char* out, size_t size, double thousandths);

#endif
