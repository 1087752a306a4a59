// The one retry loop of the download, and its policy: which failures are
// worth another try, how many tries a file gets and how long to pause
// before each. The catalogue, the lists and every file go through it.
#ifndef ZELTA_WEB_RETRY_LOOP_H
#define ZELTA_WEB_RETRY_LOOP_H

#include <cstdint>

#include "web/transfer_outcome.h"

// A failed transfer is tried this many times more; a try that stored new
// bytes renews them (see NextFileTry).
const int TransferRetries = 3;

// True for failures that a later try may not meet again: a lost or silent
// connection, a server error (5xx), 408 and 429. A permanent answer (403,
// 404, 410 and the other 4xx), an unusable answer or a full drive is not.
bool IsWorthRetrying(TransferOutcome outcome, int status);

// The tries of one file.
struct FileTries {
  int64_t Reached;  // the most bytes the download area held for it so far
  int Retries;      // retries since a try last stored new bytes
};

// `stored`: what the download area holds of the file before its first try.
void BeginFileTries(FileTries* tries, int64_t stored);

// After a try that failed in a way worth another, with `stored` bytes now
// held: true when another try is due, *retry its number since the last
// progress (1 to TransferRetries, for RetryPauseMs). A try that brought the
// file further than ever renews the retries; a file fails once
// TransferRetries tries in a row after a failed one brought nothing. A file
// that keeps advancing is never given up: a line that drops every few
// megabytes still brings it, and each try brings at least a byte, so the
// tries end with the file.
bool NextFileTry(FileTries* tries, int64_t stored, int* retry);

// The pause before retry number `retry` (1, 2, 3): 1, 2 and 4 seconds.
unsigned RetryPauseMs(int retry);

// Waits RetryPauseMs(retry), looking at the cancel flag every 50 ms; false
// when the user cancelled meanwhile.
bool PauseBeforeRetry(int retry);

// What one try tells the loop.
struct TryReport {
  TransferOutcome Outcome;
  int Status;        // the last answer's status, for IsWorthRetrying
  int64_t Held;      // bytes the download area holds now (0 for a file read into memory)
  bool AgainAtOnce;  // another try now: no pause, none counted
  bool Afresh;       // ... and the tries counted anew from Held
};

// One try of a transfer, on the caller's own record.
typedef TryReport (*TryRoutine)(void* work);

// Tries until a try is done, fails in a way no retry mends, the tries run
// out (NextFileTry) or the user cancels (TransferCancelled; a cancel is
// never retried). `held`: what the download area holds before the first
// try. A try that asks to go again at once must not do so without end: the
// routine bounds how often it asks.
TransferOutcome RetryUntilDone(TryRoutine attempt, void* work, int64_t held);

#endif
