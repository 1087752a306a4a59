#include "web/network_watch.h"

#include "catalogue/install_state.h"
#include "web/transfer_outcome.h"

namespace {

// How often a wait looks at the cancel flag and the stall clock.
const DWORD WaitSliceMs = 50;

// Shared with WinINet's threads, which run the status callback: every
// field but `since` is read and written under the lock. A callback for a
// request that is no longer the current one (given up, or long finished)
// changes nothing, so a late one can never complete a later call.
struct NetworkWatchRecord {
  SRWLOCK lock;
  HANDLE completed;       // set when the current request's call completes
  DWORD_PTR context;      // the current request's; 0 while there is none
  DWORD_PTR lastContext;  // the last one handed out
  HINTERNET created;      // the handle reported for the current request
  DWORD_PTR result;       // the completed call's INTERNET_ASYNC_RESULT
  DWORD error;
  DWORD since;            // worker only: the request's start or last progress
};

NetworkWatchRecord Watch = {SRWLOCK_INIT, nullptr, 0, 0, nullptr, 0, 0, 0};

}  // namespace

void CALLBACK OnNetworkStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length) {
  if (context == 0 || information == nullptr) return;
  if (status != INTERNET_STATUS_HANDLE_CREATED && status != INTERNET_STATUS_REQUEST_COMPLETE) return;
  AcquireSRWLockExclusive(&Watch.lock);
  if (context == Watch.context) {
    if (status == INTERNET_STATUS_HANDLE_CREATED && length >= sizeof(HINTERNET)) {
      // The handle comes first in what is reported, on every platform.
      Watch.created = *static_cast<HINTERNET*>(information);
    } else if (status == INTERNET_STATUS_REQUEST_COMPLETE && length >= sizeof(INTERNET_ASYNC_RESULT)) {
      const INTERNET_ASYNC_RESULT* outcome = static_cast<const INTERNET_ASYNC_RESULT*>(information);
      Watch.result = outcome->dwResult;
      Watch.error = outcome->dwError;
      if (Watch.completed != nullptr) SetEvent(Watch.completed);
    }
  }
  ReleaseSRWLockExclusive(&Watch.lock);
}

bool OpenNetworkWatch() {
  AcquireSRWLockExclusive(&Watch.lock);
  if (Watch.completed == nullptr) Watch.completed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool failed = Watch.completed == nullptr;
  ReleaseSRWLockExclusive(&Watch.lock);
  return failed;
}

void CloseNetworkWatch() {
  AcquireSRWLockExclusive(&Watch.lock);
  Watch.context = 0;
  Watch.created = nullptr;
  if (Watch.completed != nullptr) CloseHandle(Watch.completed);
  Watch.completed = nullptr;
  ReleaseSRWLockExclusive(&Watch.lock);
}

DWORD_PTR BeginNetworkRequest() {
  Watch.since = GetTickCount();
  AcquireSRWLockExclusive(&Watch.lock);
  if (++Watch.lastContext == 0) ++Watch.lastContext;  // 0 stands for none
  Watch.context = Watch.lastContext;
  Watch.created = nullptr;
  DWORD_PTR context = Watch.context;
  ReleaseSRWLockExclusive(&Watch.lock);
  return context;
}

DWORD_PTR NetworkRequestContext() {
  AcquireSRWLockExclusive(&Watch.lock);
  DWORD_PTR context = Watch.context;
  ReleaseSRWLockExclusive(&Watch.lock);
  return context;
}

HINTERNET CreatedRequestHandle() {
  AcquireSRWLockExclusive(&Watch.lock);
  HINTERNET created = Watch.created;
  ReleaseSRWLockExclusive(&Watch.lock);
  return created;
}

void NoteNetworkProgress() {
  Watch.since = GetTickCount();
}

void ArmNetworkWait() {
  AcquireSRWLockExclusive(&Watch.lock);
  Watch.result = 0;
  Watch.error = 0;
  if (Watch.completed != nullptr) ResetEvent(Watch.completed);
  ReleaseSRWLockExclusive(&Watch.lock);
}

NetworkWake AwaitNetworkCall(DWORD_PTR* result, DWORD* error) {
  *result = 0;
  *error = 0;
  for (;;) {
    // The event stays while the session is open; the worker alone closes
    // it, never during a wait.
    HANDLE completed = Watch.completed;
    DWORD waited = completed != nullptr ? WaitForSingleObject(completed, WaitSliceMs) : WAIT_FAILED;
    if (waited == WAIT_OBJECT_0) {
      AcquireSRWLockExclusive(&Watch.lock);
      *result = Watch.result;
      *error = Watch.error;
      ReleaseSRWLockExclusive(&Watch.lock);
      return WakeNone;
    }
    if (waited != WAIT_TIMEOUT) Sleep(WaitSliceMs);
    NetworkWake wake = WakeNone;
    if (InstallState.CancelRequested) {
      wake = WakeCancelled;
    } else if (GetTickCount() - Watch.since >= NetworkStallLimitMs) {
      wake = WakeStalled;
    }
    if (wake == WakeNone) continue;
    // Given up: whatever the call reports from now on counts no more.
    AcquireSRWLockExclusive(&Watch.lock);
    Watch.context = 0;
    ReleaseSRWLockExclusive(&Watch.lock);
    return wake;
  }
}
