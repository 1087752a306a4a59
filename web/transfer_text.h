// Pure helpers of the transfer: the de-interleaving filter, the activity
// mark and the probe file scan.
#ifndef ZELTA_WEB_TRANSFER_TEXT_H
#define ZELTA_WEB_TRANSFER_TEXT_H

#include <cstddef>
#include <cstdint>

// Files whose names contain "ex_" or "dl_" are stored with a filler byte
// before every real byte.
bool IsFilteredName(const char* name);

// Keeps the bytes of a chunk that stand at odd offsets of the whole file,
// packed to the front; `offset` is where the chunk begins in the file.
// Returns how many were kept. However a transfer is split into chunks, the
// kept bytes together are every second byte of the file, from its second.
size_t DeinterleaveChunk(char* data, size_t n, int64_t offset);

// The largest size taken for a file, or for a component's files on a disc:
// 256 TiB, more than one file of the file systems the installer writes to
// can hold. The catalogue's sizes are summed (at most 15 discs of 7
// components), so this keeps every sum far from the 64-bit limit.
const int64_t MaxFileBytes = static_cast<int64_t>(1) << 48;

// A size of the catalogue, read as the C library reads a decimal number
// (leading blanks, a sign, the digits up to the first other character; none
// is 0). False for a negative size or one above MaxFileBytes: such a
// catalogue is unusable, its sizes never summed.
bool ReadCatalogueSize(const char* text, int64_t* bytes);

// The activity mark after chunk number `chunk` (0 for the first chunk, which
// shows none): "|", "/", "-", "\", "" and round again.
const char* ActivityMark(int chunk);

// The marker lines of the probe file "Update.ini".
extern const char ProbeFirstMarker[];   // 33 characters
extern const char ProbeSecondMarker[];  // 25 characters

// True when the body holds a line beginning with the first marker and, on a
// later line, one beginning with the second. Only CR LF-ended lines count
// (a last line without CR LF is never looked at), only their first 255
// bytes. `cancel` is polled at every line end: once it is set the scan
// answers false.
bool ProbeMarkersPresent(const char* body, size_t length, const volatile int32_t* cancel);

#endif
