#include "web/status_log.h"

#include <cstdlib>

#include "common/bounded_text.h"

namespace {

struct StatusLogRecord {
  StatusEntry* entries;
  size_t count;
  size_t capacity;

  ~StatusLogRecord() { free(entries); }
};

StatusLogRecord StatusLog = {nullptr, 0, 0};

bool Grow() {
  size_t capacity = StatusLog.capacity == 0 ? 16 : StatusLog.capacity * 2;
  void* grown = realloc(StatusLog.entries, capacity * sizeof(StatusEntry));
  if (grown == nullptr) return false;
  StatusLog.entries = static_cast<StatusEntry*>(grown);
  StatusLog.capacity = capacity;
  return true;
}

}  // namespace

size_t StatusLogCount() {
  return StatusLog.count;
}

const StatusEntry* StatusLogEntry(size_t index) {
  return index < StatusLog.count ? &StatusLog.entries[index] : nullptr;
}

void StatusLogClear() {
  free(StatusLog.entries);
  StatusLog.entries = nullptr;
  StatusLog.count = 0;
  StatusLog.capacity = 0;
}

void StatusReporter(int32_t level, const char* text) {
  if (StatusLog.count == StatusLog.capacity && !Grow()) return;
  StatusEntry& entry = StatusLog.entries[StatusLog.count++];
  entry.level = level;
  TextCopy(entry.text, text);
}
