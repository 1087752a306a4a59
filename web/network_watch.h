// A watch over the worker's network calls. WinINet takes no notice of its
// own time-out options under Wine, and a cancel flag read between calls is
// never reached while a call waits for a silent server; so the interface
// thread looks at the call in progress (a timer of the progress dialog, and
// the cancel button) and wakes it when nothing has arrived for
// NetworkStallLimitMs or when the user has cancelled.
#ifndef ZELTA_WEB_NETWORK_WATCH_H
#define ZELTA_WEB_NETWORK_WATCH_H

enum NetworkWake {
  WakeNone = 0,
  WakeStalled,    // nothing arrived for too long
  WakeCancelled,  // the user cancelled
};

// Worker thread: brackets every WinINet call that waits for the server.
// NoteNetworkProgress restarts the clock while a body keeps arriving.
void BeginNetworkWait();
void NoteNetworkProgress();
// Ends the wait; says whether (and why) the call was woken.
NetworkWake EndNetworkWait();

// Interface thread: wakes the call in progress when it has waited too long
// or the user has cancelled. Cheap when there is nothing to do.
void WatchNetworkWait();

#endif
