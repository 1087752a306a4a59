// What a folder tree holds (every file and folder below it, with sizes and
// write times), so that a test can show where a run of the installer wrote.
#ifndef ZELTA_TESTS_E2E_DRIVE_SNAPSHOT_H
#define ZELTA_TESTS_E2E_DRIVE_SNAPSHOT_H

#include <map>
#include <string>
#include <vector>

struct SnapshotEntry {
  bool folder = false;
  unsigned long long size = 0;
  unsigned long long written = 0;  // last write time, FILETIME units
};

// Keys are paths relative to the root, in UTF-8, lower case (Windows names
// are case-insensitive), with backslashes: "windows\\fonts\\arial.ttf".
using DriveSnapshot = std::map<std::string, SnapshotEntry>;

// Walks the whole tree below root ("C:\\"). Unreadable folders are listed
// but not entered.
DriveSnapshot TakeSnapshot(const std::string& root);

// Lower case UTF-8 of an ANSI (code page 1250) relative path, as the keys
// are written: for the allowed folders below.
std::string SnapshotKey(const std::string& ansiRelative);

// Paths added, removed or changed (size or write time of a file; kind) from
// `before` to `after`, except at or below one of the allowed folders
// (snapshot keys). A folder whose write time alone changed is not a change:
// that only says that something below it was added or removed, which shows
// itself. Each line reads "added X", "removed X" or "changed X".
std::vector<std::string> ChangesOutside(const DriveSnapshot& before, const DriveSnapshot& after,
                                        const std::vector<std::string>& allowed);

#endif
