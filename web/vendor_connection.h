// The choice of the vendor's host: the web host over HTTPS first, the
// download host over plain HTTP second.
#ifndef ZELTA_WEB_VENDOR_CONNECTION_H
#define ZELTA_WEB_VENDOR_CONNECTION_H

// Opens and probes a session, recording each outcome in the status log.
// Returns true with the session open and SecureMode telling which host is
// used, or false with no session open (no connection or no permission).
bool ConnectToVendor();

#endif
