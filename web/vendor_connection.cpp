#include "web/vendor_connection.h"

#include <cstdlib>

#include "catalogue/install_state.h"
#include "web/answer_check.h"
#include "web/internet_session.h"
#include "web/remote_file.h"
#include "web/status_log.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

bool ProbeServer(HINTERNET session) {
  char url[256];
  BuildProbeUrl(url, sizeof url);

  TransferOutcome outcome;
  HINTERNET request = OpenUrlWatched(session, url, nullptr, &outcome);
  if (request == nullptr) return false;

  int status = 0;
  int32_t length = 0;
  if (CheckWholeFileAnswer(request, &length, &status) != TransferDone || InstallState.CancelRequested) {
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

bool ConnectToVendor() {
  InstallState.SecureMode = 1;
  if (!OpenSession(1, WebHost(), "", "")) {
    if (ProbeServer(SessionHandle())) {
      StatusReporter(4, "[A] A kapcsolat megnyitott 'Https' biztonságos módban!");
      return true;
    }
    StatusReporter(4, "Nincs engedélyezett olvasás és letöltés 'Https' biztonságos kapcsolattal!");
    CloseSession();
  }
  if (InstallState.CancelRequested) return false;  // no second host for a run being cancelled

  InstallState.SecureMode = 0;
  if (OpenSession(0, DownloadHost(), "", "")) return false;
  if (ProbeServer(SessionHandle())) {
    StatusReporter(4, "A kapcsolat megnyitott 'Http' módban!");
    return true;
  }
  StatusReporter(4, "Nincs engedélyezett olvasás és letöltés 'Http' kapcsolattal!");
  CloseSession();
  return false;
}
