#include "tests/e2e/drive_snapshot.h"

#include <windows.h>

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
  return text;
}

std::wstring Lower(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

void Walk(const std::wstring& folder, const std::wstring& relative, DriveSnapshot* snapshot) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
    SnapshotEntry entry;
    entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.written = (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                    found.ftLastWriteTime.dwLowDateTime;
    if (entry.folder) entry.size = 0;
    (*snapshot)[Utf8(Lower(rel))] = entry;
    // Links to folders (Wine's dosdevices-like entries) are not followed.
    if (entry.folder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
      Walk(folder + L"\\" + name, rel, snapshot);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool Allowed(const std::string& key, const std::vector<std::string>& allowed) {
  for (const std::string& folder : allowed) {
    if (folder.empty()) continue;
    if (key.compare(0, folder.size(), folder) != 0) continue;
    if (key.size() == folder.size() || key[folder.size()] == '\\') return true;
  }
  return false;
}

}  // namespace

DriveSnapshot TakeSnapshot(const std::string& root) {
  DriveSnapshot snapshot;
  std::string folder = root;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  int n = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &wide[0], n);
  Walk(wide, L"", &snapshot);
  return snapshot;
}

std::string SnapshotKey(const std::string& ansiRelative) {
  int n = MultiByteToWideChar(CP_ACP, 0, ansiRelative.c_str(), -1, nullptr, 0);
  if (n <= 1) return std::string();
  std::wstring wide(n - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansiRelative.c_str(), -1, &wide[0], n);
  return Utf8(Lower(wide));
}

std::vector<std::string> ChangesOutside(const DriveSnapshot& before, const DriveSnapshot& after,
                                        const std::vector<std::string>& allowed) {
  std::vector<std::string> changes;
  for (const auto& item : after) {
    if (Allowed(item.first, allowed)) continue;
    auto old = before.find(item.first);
    if (old == before.end()) {
      changes.push_back("added " + item.first);
    } else if (old->second.folder != item.second.folder) {
      changes.push_back("changed " + item.first);
    } else if (!item.second.folder &&
               (old->second.size != item.second.size || old->second.written != item.second.written)) {
      changes.push_back("changed " + item.first);
    }
  }
  for (const auto& item : before)
    if (!Allowed(item.first, allowed) && after.find(item.first) == after.end())
      changes.push_back("removed " + item.first);
  return changes;
}
