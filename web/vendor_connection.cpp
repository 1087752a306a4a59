#include "web/vendor_connection.h"

#include "catalogue/install_state.h"
#include "web/internet_session.h"
#include "web/status_log.h"
#include "web/vendor_paths.h"

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
