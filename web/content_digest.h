// The SHA-256 of a file in the download area.
#ifndef ZELTA_WEB_CONTENT_DIGEST_H
#define ZELTA_WEB_CONTENT_DIGEST_H

#include <windows.h>

#include "web/content_checksum.h"
#include "web/transfer_outcome.h"

// Reads the whole file at `path` through `buffer` (its `size` bytes) and
// gives its digest and length in *sum. TransferDone, or TransferLocalRead
// when the file cannot be read.
TransferOutcome DigestOfFile(const char* path, char* buffer, DWORD size, ContentChecksum* sum);

#endif
