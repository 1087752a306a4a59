#include "web/internet_session.h"

#include <cstdlib>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "web/network_watch.h"
#include "web/remote_file.h"
#include "web/transfer_outcome.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

struct SessionRecord {
  HINTERNET session;
  HINTERNET connection;
  bool connectivityChecked;
  bool retired;  // a wait on it was given up: replaced before the next request
  // What the session was opened for, to open it afresh.
  int secure;
  char host[TextSize];
  char user[TextSize];
  char password[TextSize];
};

SessionRecord Session = {nullptr, nullptr, false, false, 0, "", "", ""};

// Opens the handles for the host recorded. Returns true on failure, with
// nothing left open.
bool OpenHandles() {
  Session.session = InternetOpenA(InstallerUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr,
                                  INTERNET_FLAG_ASYNC);
  if (Session.session == nullptr) return true;
  if (InternetSetStatusCallbackA(Session.session, OnNetworkStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
    InternetCloseHandle(Session.session);
    Session.session = nullptr;
    return true;
  }
  // WinINet's own limits, the same as the watch's: honoured on Windows,
  // not always under Wine, and the waits do not depend on them.
  DWORD limit = NetworkStallLimitMs;
  const DWORD options[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT};
  for (DWORD option : options) InternetSetOptionA(Session.session, option, &limit, sizeof limit);

  INTERNET_PORT port = Session.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  Session.connection = InternetConnectA(Session.session, Session.host, port, Session.user, Session.password,
                                        INTERNET_SERVICE_HTTP, INTERNET_FLAG_TRANSFER_BINARY, 0);
  return false;
}

void CloseHandles() {
  if (Session.connection != nullptr) InternetCloseHandle(Session.connection);
  Session.connection = nullptr;
  if (Session.session != nullptr) InternetCloseHandle(Session.session);
  Session.session = nullptr;
}

}  // namespace

HINTERNET SessionHandle() {
  if (Session.retired) {
    CloseHandles();
    Session.retired = OpenHandles();  // tried again by the next request
  }
  return Session.session;
}

void ClearSessionHandles() {
  Session.session = nullptr;
  Session.connection = nullptr;
  Session.retired = false;
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

  Session.secure = secure;
  TextCopy(Session.host, host);
  TextCopy(Session.user, user);
  TextCopy(Session.password, password);
  Session.retired = false;
  if (OpenNetworkWatch()) return true;
  if (OpenHandles()) {
    CloseNetworkWatch();
    return true;
  }
  return false;
}

void RetireSession() {
  if (Session.session != nullptr) Session.retired = true;
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
  CloseHandles();
  Session.retired = false;
  CloseNetworkWatch();
}
