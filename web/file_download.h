// The download of one file of a disc into the download area: its retries,
// the resume of a partial file and the reuse of a complete one.
#ifndef ZELTA_WEB_FILE_DOWNLOAD_H
#define ZELTA_WEB_FILE_DOWNLOAD_H

#include "web/transfer_outcome.h"

// Downloads one file of a disc folder into the download area; with progress
// on, every chunk written advances the progress bar. A transfer that fails
// part-way is tried again (TransferRetries times, after RetryPauseMs) and
// goes on from the bytes already stored when the server confirms that the
// file is still the same; a file stored whole by an earlier run is kept when
// the server says it has not changed. Returns true on failure, recorded in
// DownloadFailure unless the user cancelled.
bool DownloadFile(const char* discFolder, const char* fileName, bool progress);

// Waits before retry number `retry`; false when the user cancelled meanwhile.
bool PauseBeforeRetry(int retry);

#endif
