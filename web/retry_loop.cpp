#include "web/retry_loop.h"

#include <chrono>
#include <thread>

#include "catalogue/install_state.h"

bool IsWorthRetrying(TransferOutcome outcome, int status) {
  switch (outcome) {
    case TransferNoAnswer:
    case TransferConnectionLost:
      return true;
    case TransferStatus:
      return status >= 500 || status == 408 || status == 429;
    default:
      return false;
  }
}

void BeginFileTries(FileTries* tries, int64_t stored) {
  tries->Reached = stored;
  tries->Retries = 0;
}

bool NextFileTry(FileTries* tries, int64_t stored, int* retry) {
  if (stored > tries->Reached) {
    tries->Reached = stored;
    tries->Retries = 0;
  }
  if (tries->Retries >= TransferRetries) return false;
  *retry = ++tries->Retries;
  return true;
}

unsigned RetryPauseMs(int retry) {
  if (retry < 1) return 0;
  if (retry > 3) retry = 3;
  return 1000u << (retry - 1);
}

bool PauseBeforeRetry(int retry) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(RetryPauseMs(retry));
  while (Clock::now() < end) {
    if (InstallState.CancelRequested) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return !InstallState.CancelRequested;
}

TransferOutcome RetryUntilDone(TryRoutine attempt, void* work, int64_t held) {
  FileTries tries;
  BeginFileTries(&tries, held);
  for (;;) {
    TryReport report = attempt(work);
    if (report.Outcome == TransferDone) return TransferDone;
    if (report.AgainAtOnce) {
      if (report.Afresh) BeginFileTries(&tries, report.Held);
      continue;
    }
    if (report.Outcome == TransferCancelled || InstallState.CancelRequested) return TransferCancelled;
    int retry = 0;
    if (!IsWorthRetrying(report.Outcome, report.Status) || !NextFileTry(&tries, report.Held, &retry)) {
      return report.Outcome;
    }
    if (!PauseBeforeRetry(retry)) return TransferCancelled;
  }
}
