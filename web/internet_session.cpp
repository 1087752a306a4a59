#include "web/internet_session.h"

#include <cstdlib>

#include "catalogue/install_state.h"
#include "web/remote_file.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

struct SessionRecord {
  HINTERNET session;
  HINTERNET connection;
  bool connectivityChecked;
};

SessionRecord Session = {nullptr, nullptr, false};

}  // namespace

HINTERNET SessionHandle() {
  return Session.session;
}

void ClearSessionHandles() {
  Session.session = nullptr;
  Session.connection = nullptr;
}

bool OpenSession(int secure, const char* host, const char* user, const char* password) {
  if (InternetAttemptConnect(0) != ERROR_SUCCESS) return true;

  if (!Session.connectivityChecked) {
    Session.connectivityChecked = true;
    // Asked once per process, but its answer decides nothing: Wine always
    // answers "connected" for this form and Windows usually "not connected"
    // in a fresh process. Letting either answer stop the secure attempt
    // would silently move every installation to plain HTTP; the probe file
    // decides whether a host can be used.
    InternetCheckConnectionA(nullptr, FLAG_ICC_FORCE_CONNECTION, 0);
  }

  Session.session = InternetOpenA(InstallerUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (Session.session == nullptr) return true;

  INTERNET_PORT port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  Session.connection = InternetConnectA(Session.session, host, port, user, password,
                                        INTERNET_SERVICE_HTTP, INTERNET_FLAG_TRANSFER_BINARY, 0);
  return false;
}

bool ProbeServer(HINTERNET session) {
  char url[256];
  BuildProbeUrl(url, sizeof url);

  TransferOutcome outcome;
  HINTERNET request = OpenUrlWatched(session, url, nullptr, &outcome);
  if (request == nullptr) return false;

  int32_t status = 0;
  int32_t length = 0;
  if (!AnswerStaysSecure(request) || !QueryHttpNumber(request, HTTP_QUERY_STATUS_CODE, &status) || status != 200 ||
      !QueryHttpNumber(request, HTTP_QUERY_CONTENT_LENGTH, &length) || length <= 0 ||
      InstallState.CancelRequested) {
    InternetCloseHandle(request);
    return false;
  }

  char* body = static_cast<char*>(malloc(static_cast<size_t>(length)));
  if (body == nullptr) {
    InternetCloseHandle(request);
    return false;
  }
  DWORD received = 0;
  bool read = ReadBodyWatched(request, body, static_cast<DWORD>(length), &received) == TransferDone;
  BOOL closed = InternetCloseHandle(request);
  // A short read is no failure: the scan looks at what arrived.
  bool usable = read && closed && ProbeMarkersPresent(body, received, &InstallState.CancelRequested);
  free(body);
  return usable;
}

void CloseSession() {
  if (Session.connection != nullptr) InternetCloseHandle(Session.connection);
  Session.connection = nullptr;
  if (Session.session != nullptr) InternetCloseHandle(Session.session);
  Session.session = nullptr;
}
