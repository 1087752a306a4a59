// How one request of the download ended, whether another try is worth it,
// and the failure that ended a run, for the words the user is shown.
#ifndef ZELTA_WEB_TRANSFER_OUTCOME_H
#define ZELTA_WEB_TRANSFER_OUTCOME_H

#include <cstddef>
#include <cstdint>

enum TransferOutcome {
  TransferDone = 0,
  TransferCancelled,       // the user cancelled: neither retried nor reported
  TransferNoAnswer,        // nothing arrived for NetworkStallLimitMs
  TransferConnectionLost,  // no connection, or it was reset or closed early
  TransferStatus,          // the server answered with an unusable status
  TransferBadAnswer,       // an answer the installer cannot use (no length, ...)
  TransferLocalWrite,      // the download area could not be written
  TransferLocalRead,       // a downloaded file could not be read back to be checked
  TransferOutOfMemory,     // no memory for the transfer
  TransferFolder,          // a folder of the download area could not be made
  TransferBadContent,      // the file's content is not what the checksum list says, twice
  TransferNoChecksum,      // the checksum list has no line (or two lines) for the file
  TransferBadChecksumList, // the checksum list cannot be read
  TransferNoHashing,       // the platform computes no SHA-256
  TransferBadCatalogue,    // the catalogue gives a size no file can have
};

// A network call that has seen nothing arrive for this long has failed.
const unsigned NetworkStallLimitMs = 30000;

// A file whose transfer failed part-way is tried this many times more; a
// try that stored new bytes renews them (see NextFileTry).
const int TransferRetries = 3;

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

// True for failures that a later try may not meet again: a lost or silent
// connection, a server error (5xx), 408 and 429. A permanent answer (403,
// 404, 410 and the other 4xx), an unusable answer or a full drive is not.
bool IsWorthRetrying(TransferOutcome outcome, int status);

// The pause before retry number `retry` (1, 2, 3): 1, 2 and 4 seconds.
unsigned RetryPauseMs(int retry);

// The string-table text that says what went wrong (IDS_REASON_..., its
// "%s" the failure's Detail).
int FailureReasonStringId(TransferOutcome outcome, int status);

// The string-table text that names what failed (its "%s" the failure's
// File): a file's download, a folder, a file that cannot be used.
int FailureHeadStringId(TransferOutcome outcome);

// The failure that ended the download, kept for the run's ending.
struct DownloadFailureRecord {
  bool Failed;
  TransferOutcome Outcome;
  int Status;
  char File[256];   // the file as the server names it: "Disc_01/Systems\bin\zelta.exe"; or a folder
  char Detail[64];  // for the reason: the status, or the catalogue entry that is unusable
};

extern DownloadFailureRecord DownloadFailure;

void ClearDownloadFailure();

// Records the first failure of a run that was not a cancel; later ones
// (the run is ending anyway) do not replace it. Without a detail, the
// status is the detail.
void RecordDownloadFailure(const char* discFolder, const char* fileName, TransferOutcome outcome, int status,
                           const char* detail = nullptr);

// The same for a folder of the download area that could not be made.
void RecordFolderFailure(const char* path);

#endif
