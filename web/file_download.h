// The download of one file of a disc into the download area: its retries,
// the resume of a partial file and the reuse of a complete one.
#ifndef ZELTA_WEB_FILE_DOWNLOAD_H
#define ZELTA_WEB_FILE_DOWNLOAD_H

#include <cstddef>

#include "web/transfer_outcome.h"

// A disc's checksum list (web/content_checksum.h), as the server sent it.
struct DiscChecksums {
  const char* Text;
  size_t Length;
};

// Downloads one file of a disc folder into the download area; with progress
// on, every chunk written advances the progress bar. A transfer that fails
// part-way is tried again (web/retry_loop.h: a try that brought new bytes
// renews the tries) and goes on from the bytes already
// stored when the server confirms that the file is still the same; a file
// stored whole by an earlier run is kept when the server says it has not
// changed. Stored bytes are taken up only from a record of the same scheme
// and host. With `sums`, the file must have its line there, and its content
// must match it after the download and before a kept file is used: a file
// that does not is fetched once more from zero. Returns true on failure,
// recorded in DownloadFailure unless the user cancelled.
bool DownloadFile(const char* discFolder, const char* fileName, bool progress, const DiscChecksums* sums);

#endif
