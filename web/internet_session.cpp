#include "web/internet_session.h"

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "web/network_watch.h"
#include "web/transfer_outcome.h"
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

void CloseSession() {
  CloseHandles();
  Session.retired = false;
  CloseNetworkWatch();
}
