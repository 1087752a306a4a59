// What an answer of the server says before its body: the scheme it came
// over, its status and its length. Every request of the download is looked
// at here, so that each is judged by the same rules.
#ifndef ZELTA_WEB_ANSWER_CHECK_H
#define ZELTA_WEB_ANSWER_CHECK_H

#include <windows.h>
#include <wininet.h>

#include <cstdint>

#include "web/transfer_outcome.h"

// Reads a numeric header (status code, Content-Length) as a decimal number.
// False when the header is missing.
bool QueryHttpNumber(HINTERNET request, DWORD query, int32_t* value);

// The same for a size that may pass 2^31 (a file's Content-Length).
bool QueryHttpSize(HINTERNET request, DWORD query, int64_t* value);

// Reads a text header into `out` (size bytes); false when it is missing or
// does not fit.
bool QueryHttpText(HINTERNET request, DWORD query, char* out, DWORD size);

// The head of an answer.
struct AnswerHead {
  int32_t Status;  // 0 when the answer is not to be looked at
  bool HasLength;  // a Content-Length came with it
  int64_t Length;  // ... this one; 0 without
};

// TransferDone when the answer can be looked at: it came over the scheme of
// the host in use and carries a status. TransferBadAnswer when a request to
// the secure host was answered over plain HTTP (WinINet follows such a
// redirect by itself, and a file of the secure host must not arrive over an
// unprotected connection; a URL too long to be read back counts as such);
// TransferConnectionLost when the server closed without answering.
TransferOutcome CheckAnswer(HINTERNET request, AnswerHead* head);

// The same for a small file read whole into memory (probe, catalogue,
// lists): TransferDone only for status 200 with a length above 0, then
// *length holds it (at most what one buffer can be asked for);
// TransferStatus for another status, TransferBadAnswer without a length.
// *status is the answer's status in every case.
TransferOutcome CheckWholeFileAnswer(HINTERNET request, int32_t* length, int* status);

#endif
