// The in-memory record of what happened during the web transfer: connection
// outcomes, the closing of the session and remote files that were not
// available. Nothing shows it; it must never block or change the course of
// the installation. Used from the install worker thread only.
#ifndef ZELTA_WEB_STATUS_LOG_H
#define ZELTA_WEB_STATUS_LOG_H

#include <cstddef>
#include <cstdint>

struct StatusEntry {
  int32_t level;   // 0 unavailable file, 2 session closed, 4 connection outcome
  char text[256];  // at most 255 characters
};

// StatusLog: the entries in the order of the calls.
size_t StatusLogCount();
const StatusEntry* StatusLogEntry(size_t index);  // null past the end
void StatusLogClear();  // releases the storage (process exit, tests)

// Appends one entry; a text of 255 characters or more is cut after its 255th.
// When no memory can be had the entry is dropped.
void StatusReporter(int32_t level, const char* text);

#endif
