#include "web/network_watch.h"

#include <winsock2.h>
#include <windows.h>

#include "catalogue/install_state.h"
#include "web/transfer_outcome.h"

namespace {

struct NetworkWatchRecord {
  volatile LONG Waiting;   // 1 while the worker is inside a network call
  volatile LONG Since;     // GetTickCount of the call's start or last progress
  volatile LONG Woken;     // NetworkWake of the current call
  volatile LONG LastWake;  // GetTickCount of the last wake
};

NetworkWatchRecord Watch = {0, 0, WakeNone, 0};

// A wake that did not end the call is tried again after this long: a
// connection may have been opened after the first one.
const DWORD RewakeMs = 1000;

// Handle values a process of ours can hold; WinINet's sockets are among them.
const UINT_PTR HighestHandle = 0x4000;

// Wakes every blocked receive of the process by shutting down its TCP
// connections. Closing the request or session handle from another thread,
// the documented way on Windows, does not end a receive under Wine: the
// waiting call holds a reference to the request, and the connection is
// closed only when the last reference goes. A shut-down socket ends the
// receive at once (no data, or an error) on both platforms, and its handle
// stays WinINet's to close. The worker is the process's only network user,
// so every connected stream socket belongs to the call being woken (or is
// an idle kept-alive connection, which WinINet then does not reuse).
void ShutDownConnections() {
  for (UINT_PTR value = 4; value < HighestHandle; value += 4) {
    SOCKET s = static_cast<SOCKET>(value);
    int type = 0;
    int size = sizeof type;
    if (getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size) != 0) continue;
    if (type != SOCK_STREAM) continue;
    shutdown(s, SD_BOTH);
  }
}

}  // namespace

void BeginNetworkWait() {
  InterlockedExchange(&Watch.Since, static_cast<LONG>(GetTickCount()));
  InterlockedExchange(&Watch.Woken, WakeNone);
  InterlockedExchange(&Watch.Waiting, 1);
}

void NoteNetworkProgress() {
  InterlockedExchange(&Watch.Since, static_cast<LONG>(GetTickCount()));
}

NetworkWake EndNetworkWait() {
  InterlockedExchange(&Watch.Waiting, 0);
  return static_cast<NetworkWake>(InterlockedExchange(&Watch.Woken, WakeNone));
}

void WatchNetworkWait() {
  if (!Watch.Waiting) return;
  DWORD now = GetTickCount();
  LONG reason = WakeNone;
  if (InstallState.CancelRequested) {
    reason = WakeCancelled;
  } else if (now - static_cast<DWORD>(Watch.Since) >= NetworkStallLimitMs) {
    reason = WakeStalled;
  }
  if (reason == WakeNone) return;
  LONG before = InterlockedCompareExchange(&Watch.Woken, reason, WakeNone);
  if (before != WakeNone && now - static_cast<DWORD>(Watch.LastWake) < RewakeMs) return;
  InterlockedExchange(&Watch.LastWake, static_cast<LONG>(now));
  ShutDownConnections();
}
