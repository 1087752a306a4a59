#include "web/transfer_outcome.h"

#include "common/bounded_text.h"
#include "resources/resource_ids.h"

DownloadFailureRecord DownloadFailure = {};

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
    case TransferLocalRead:
      return IDS_REASON_LOCAL_READ;
    case TransferOutOfMemory:
      return IDS_REASON_OUT_OF_MEMORY;
    case TransferFolder:
      return IDS_REASON_FOLDER;
    case TransferBadContent:
      return IDS_REASON_BAD_CONTENT;
    case TransferNoChecksum:
      return IDS_REASON_NO_CHECKSUM;
    case TransferBadChecksumList:
      return IDS_REASON_BAD_CHECKSUM_LIST;
    case TransferBadCatalogue:
      return IDS_REASON_BAD_SIZE;
    default:
      return IDS_REASON_BAD_ANSWER;
  }
}

int FailureHeadStringId(TransferOutcome outcome) {
  switch (outcome) {
    case TransferFolder:
      return IDS_FOLDER_FAILED;
    case TransferBadChecksumList:
    case TransferBadCatalogue:
      return IDS_FILE_UNUSABLE;
    default:
      return IDS_DOWNLOAD_FAILED;
  }
}

void ClearDownloadFailure() {
  DownloadFailure = DownloadFailureRecord{};
}

void RecordDownloadFailure(const char* discFolder, const char* fileName, TransferOutcome outcome, int status,
                           const char* detail) {
  if (DownloadFailure.Failed || outcome == TransferDone || outcome == TransferCancelled) return;
  DownloadFailure.Failed = true;
  DownloadFailure.Outcome = outcome;
  DownloadFailure.Status = status;
  TextCopy(DownloadFailure.File, discFolder);
  TextAppend(DownloadFailure.File, "/");
  TextAppend(DownloadFailure.File, fileName);
  if (detail != nullptr) {
    TextCopy(DownloadFailure.Detail, detail);
  } else {
    TextFormat(DownloadFailure.Detail, sizeof DownloadFailure.Detail, "%d", status);
  }
}

void RecordFolderFailure(const char* path) {
  if (DownloadFailure.Failed) return;
  RecordDownloadFailure("", "", TransferFolder, 0, "");
  TextCopy(DownloadFailure.File, path);
}
