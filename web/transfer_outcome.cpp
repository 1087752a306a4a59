#include "web/transfer_outcome.h"

#include "common/bounded_text.h"
#include "resources/resource_ids.h"

DownloadFailureRecord DownloadFailure = {};

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

int FailureReasonStringId(TransferOutcome outcome, int status) {
  switch (outcome) {
    case TransferNoAnswer:
      return IDS_REASON_NO_ANSWER;
    case TransferConnectionLost:
      return IDS_REASON_CONNECTION_LOST;
    case TransferStatus:
      if (status == 404 || status == 410) return IDS_REASON_NOT_FOUND;
      if (status == 401 || status == 403) return IDS_REASON_FORBIDDEN;
      return IDS_REASON_SERVER_ERROR;
    case TransferLocalWrite:
      return IDS_REASON_LOCAL_WRITE;
    default:
      return IDS_REASON_BAD_ANSWER;
  }
}

void ClearDownloadFailure() {
  DownloadFailure = DownloadFailureRecord{};
}

void RecordDownloadFailure(const char* discFolder, const char* fileName, TransferOutcome outcome, int status) {
  if (DownloadFailure.Failed || outcome == TransferDone || outcome == TransferCancelled) return;
  DownloadFailure.Failed = true;
  DownloadFailure.Outcome = outcome;
  DownloadFailure.Status = status;
  TextCopy(DownloadFailure.File, discFolder);
  TextAppend(DownloadFailure.File, "/");
  TextAppend(DownloadFailure.File, fileName);
}
