#include "web/remote_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "web/error_formatter.h"
#include "web/internet_session.h"
#include "web/network_watch.h"
#include "web/status_log.h"

namespace {

// What a call that returned failure amounts to: a wake of the watch, the
// user's cancel, a certificate that no retry will mend, or a lost connection.
TransferOutcome FailureOf(NetworkWake wake, DWORD error) {
  if (wake == WakeCancelled || InstallState.CancelRequested) return TransferCancelled;
  if (wake == WakeStalled) return TransferNoAnswer;
  switch (error) {
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

}  // namespace

bool QueryHttpNumber(HINTERNET request, DWORD query, int32_t* value) {
  // WinINet leaves the buffer untouched when the header is missing.
  char text[256] = {};
  DWORD size = sizeof text;
  *value = 0;
  if (!HttpQueryInfoA(request, query, text, &size, nullptr)) return false;
  text[sizeof text - 1] = '\0';
  *value = TextToInt32(text);
  return true;
}

bool QueryHttpSize(HINTERNET request, DWORD query, int64_t* value) {
  char text[64];
  *value = 0;
  if (!QueryHttpText(request, query, text, sizeof text)) return false;
  *value = TextToInt64(text);
  return true;
}

bool QueryHttpText(HINTERNET request, DWORD query, char* out, DWORD size) {
  if (size == 0) return false;
  memset(out, 0, size);
  DWORD n = size;
  if (!HttpQueryInfoA(request, query, out, &n, nullptr) || n >= size) {
    out[0] = '\0';
    return false;
  }
  out[size - 1] = '\0';
  return true;
}

bool AnswerStaysSecure(HINTERNET request) {
  if (!InstallState.SecureMode) return true;
  // The URL the answer finally came from; one too long for the buffer is
  // not accepted either.
  char url[TextSize] = {};
  DWORD size = sizeof url;
  if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &size)) return false;
  return _strnicmp(url, "https://", 8) == 0;
}

HINTERNET OpenUrlWatched(HINTERNET session, const char* url, const char* headers, TransferOutcome* outcome) {
  *outcome = TransferDone;
  if (InstallState.CancelRequested) {
    *outcome = TransferCancelled;
    return nullptr;
  }
  DWORD length = headers == nullptr ? 0 : static_cast<DWORD>(strlen(headers));
  BeginNetworkWait();
  HINTERNET request = InternetOpenUrlA(session, url, length == 0 ? nullptr : headers, length,
                                       RemoteRequestFlags, 0);
  DWORD error = GetLastError();
  NetworkWake wake = EndNetworkWait();
  if (request != nullptr && wake == WakeNone) return request;
  // Woken after the answer had come: the connection is gone all the same.
  if (request != nullptr) InternetCloseHandle(request);
  *outcome = FailureOf(wake, error);
  return nullptr;
}

TransferOutcome ReadBodyWatched(HINTERNET request, char* buffer, DWORD size, DWORD* received) {
  *received = 0;
  // Asked for what has arrived, then read that much: the watch sees
  // progress while a slow body keeps coming, and a read never waits long.
  while (*received < size) {
    if (InstallState.CancelRequested) return TransferCancelled;
    DWORD available = 0;
    BeginNetworkWait();
    BOOL ok = InternetQueryDataAvailable(request, &available, 0, 0);
    DWORD error = GetLastError();
    NetworkWake wake = EndNetworkWait();
    if (!ok || wake != WakeNone) return FailureOf(wake, error);
    if (available == 0) break;  // the end of the body
    DWORD want = size - *received;
    if (available < want) want = available;
    DWORD got = 0;
    BeginNetworkWait();
    ok = InternetReadFile(request, buffer + *received, want, &got);
    error = GetLastError();
    wake = EndNetworkWait();
    *received += got;
    if (!ok || wake != WakeNone) return FailureOf(wake, error);
    if (got == 0) break;
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
  int32_t code = 0;
  *length = 0;
  *request = OpenUrlWatched(SessionHandle(), url, nullptr, &why);
  if (*request != nullptr) {
    if (!AnswerStaysSecure(*request)) {
      why = TransferBadAnswer;
    } else if (!QueryHttpNumber(*request, HTTP_QUERY_STATUS_CODE, &code) || code == 0) {
      // A server that closes without answering leaves no status.
      why = TransferConnectionLost;
    } else if (code != 200) {
      ReportUnavailable(url);
      why = TransferStatus;
    } else {
      int32_t announced = 0;
      if (!QueryHttpNumber(*request, HTTP_QUERY_CONTENT_LENGTH, &announced) || announced <= 0) {
        why = TransferBadAnswer;
      } else {
        *length = announced;
      }
    }
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
