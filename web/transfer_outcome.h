// How one request of the download ended, and the failure that ended a run,
// for the words the user is shown (whether another try is worth it:
// web/retry_loop.h).
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
  TransferBadCatalogue,    // the catalogue gives a size no file can have
  TransferRangeUnusable,   // a range answer cannot continue the stored bytes: the whole file is asked for
};

// A network call that has seen nothing arrive for this long has failed.
const unsigned NetworkStallLimitMs = 30000;

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
