// The worker's waits for the server. Sessions are asynchronous: a WinINet
// call that needs the server either answers at once or answers
// ERROR_IO_PENDING and completes later, which the status callback reports.
// The worker waits for that completion itself, never longer than the stall
// limit without a byte and never past a cancel; the server's help is not
// needed for either. A wait given up leaves its call pending inside
// WinINet, holding nothing of ours: the caller closes the request (which
// returns at once, whatever the call does) and the session is replaced
// before the next request (web/internet_session.h).
#ifndef ZELTA_WEB_NETWORK_WATCH_H
#define ZELTA_WEB_NETWORK_WATCH_H

#include <windows.h>
#include <wininet.h>

enum NetworkWake {
  WakeNone = 0,   // the call completed
  WakeStalled,    // nothing arrived for NetworkStallLimitMs
  WakeCancelled,  // the user cancelled
};

// The status callback that every session is given.
void CALLBACK OnNetworkStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information, DWORD length);

// The waits of an open session: made when the session opens, ended when
// it closes. OpenNetworkWatch returns true on failure.
bool OpenNetworkWatch();
void CloseNetworkWatch();

// Starts a request: the stall clock starts, and what the callback reports
// for earlier requests no longer counts. Returns the context to give
// WinINet for the request and its calls.
DWORD_PTR BeginNetworkRequest();

// The context of the request begun last.
DWORD_PTR NetworkRequestContext();

// The request handle WinINet reported creating for the request begun
// last (before its open has completed), or null.
HINTERNET CreatedRequestHandle();

// Data arrived: the stall clock starts again.
void NoteNetworkProgress();

// Before each call that may complete later (ERROR_IO_PENDING).
void ArmNetworkWait();

// After a call answered ERROR_IO_PENDING: waits for its completion.
// WakeNone: it completed, with *result and *error as the callback reported
// them. Otherwise the call is still pending and the request is to be given
// up.
NetworkWake AwaitNetworkCall(DWORD_PTR* result, DWORD* error);

#endif
