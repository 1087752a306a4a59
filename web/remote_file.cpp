#include "web/remote_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "web/answer_check.h"
#include "web/error_formatter.h"
#include "web/internet_session.h"
#include "web/network_watch.h"
#include "web/status_log.h"

namespace {

// What a call that failed amounts to: a wait given up, the user's cancel, a
// certificate that no retry will mend, or a lost connection.
TransferOutcome FailureOf(NetworkWake wake, DWORD error) {
  if (wake == WakeCancelled || InstallState.CancelRequested) return TransferCancelled;
  if (wake == WakeStalled) return TransferNoAnswer;
  switch (error) {
    case ERROR_INTERNET_TIMEOUT:  // WinINet's own limit, where it keeps one
      return TransferNoAnswer;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
      return TransferBadAnswer;
    default:
      return TransferConnectionLost;
  }
}

// The read in progress. It outlives the call: a read given up may still be
// pending inside WinINet.
INTERNET_BUFFERSA ReadPart;

}  // namespace

HINTERNET OpenUrlWatched(HINTERNET session, const char* url, const char* headers, TransferOutcome* outcome) {
  *outcome = TransferDone;
  if (InstallState.CancelRequested) {
    *outcome = TransferCancelled;
    return nullptr;
  }
  DWORD length = headers == nullptr ? 0 : static_cast<DWORD>(strlen(headers));
  DWORD_PTR context = BeginNetworkRequest();
  ArmNetworkWait();
  HINTERNET request = InternetOpenUrlA(session, url, length == 0 ? nullptr : headers, length,
                                       RemoteRequestFlags, context);
  DWORD error = GetLastError();
  if (request != nullptr) return request;
  NetworkWake wake = WakeNone;
  if (error == ERROR_IO_PENDING) {
    DWORD_PTR result = 0;
    wake = AwaitNetworkCall(&result, &error);
    if (wake == WakeNone && result != 0) return reinterpret_cast<HINTERNET>(result);
    // Failed or given up after WinINet had made the request's handle: it
    // is ours to close, and closing returns at once even while the open
    // still waits for the server.
    HINTERNET created = CreatedRequestHandle();
    if (created != nullptr) InternetCloseHandle(created);
    if (wake != WakeNone) RetireSession();
  }
  *outcome = FailureOf(wake, error);
  return nullptr;
}

TransferOutcome ReadBodyWatched(HINTERNET request, char* buffer, DWORD size, DWORD* received) {
  *received = 0;
  while (*received < size) {
    if (InstallState.CancelRequested) return TransferCancelled;
    // Takes everything that has arrived, up to the buffer's end, and never
    // waits for more: when nothing is there the read completes later,
    // empty, once something is, and is made again. So the bytes that came
    // before the server went silent are all handed over, and a pending
    // read holds no buffer of ours.
    ReadPart = INTERNET_BUFFERSA{};
    ReadPart.dwStructSize = sizeof ReadPart;
    ReadPart.lpvBuffer = buffer + *received;
    ReadPart.dwBufferLength = size - *received;
    ArmNetworkWait();
    if (InternetReadFileExA(request, &ReadPart, IRF_ASYNC | IRF_NO_WAIT, NetworkRequestContext())) {
      if (ReadPart.dwBufferLength == 0) break;  // the end of the body
      *received += ReadPart.dwBufferLength;
      NoteNetworkProgress();
      continue;
    }
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return FailureOf(WakeNone, error);
    DWORD_PTR result = 0;
    NetworkWake wake = AwaitNetworkCall(&result, &error);
    if (wake != WakeNone) {
      RetireSession();
      return FailureOf(wake, error);
    }
    if (result == 0) return FailureOf(WakeNone, error);
  }
  return TransferDone;
}

void ReportUnavailable(const char* url) {
  char argument[256];
  TextFormat(argument, sizeof argument, "Ez a file nem elérhető!: %s", url);
  char entry[256];
  ErrorFormatter(entry, sizeof entry, "[RP029]", -1, argument);
  StatusReporter(0, entry);
}

bool OpenRemoteFile(const char* url, HINTERNET* request, int32_t* length, TransferOutcome* outcome, int* status) {
  TransferOutcome why = TransferDone;
  int code = 0;
  *length = 0;
  *request = OpenUrlWatched(SessionHandle(), url, nullptr, &why);
  if (*request != nullptr) {
    why = CheckWholeFileAnswer(*request, length, &code);
    if (why == TransferStatus) ReportUnavailable(url);
    if (why != TransferDone) {
      InternetCloseHandle(*request);
      *request = nullptr;
    }
  }
  if (outcome != nullptr) *outcome = why;
  if (status != nullptr) *status = code;
  return why != TransferDone;
}

bool ReadRemoteFile(HINTERNET request, char* buffer, int32_t length, TransferOutcome* outcome) {
  DWORD received = 0;
  TransferOutcome why = ReadBodyWatched(request, buffer, static_cast<DWORD>(length), &received);
  if (why == TransferDone && received != static_cast<DWORD>(length)) why = TransferConnectionLost;
  if (outcome != nullptr) *outcome = why;
  return why != TransferDone;
}
