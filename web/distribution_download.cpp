#include "web/distribution_download.h"

#include <windows.h>
#include <wininet.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <direct.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/install_paths.h"
#include "web/file_download.h"
#include "web/ini_lookup.h"
#include "web/remote_file.h"
#include "web/transfer_outcome.h"
#include "web/vendor_paths.h"

namespace {

bool NormalEnd = false;

// A whole small file from the server (catalogue, file list) in memory, tried
// again after a failure worth it. The caller frees *text. On failure
// *outcome and *status tell why.
bool FetchWholeFile(const char* url, char** text, int32_t* length, TransferOutcome* outcome, int* status) {
  *text = nullptr;
  for (int retry = 0;; ++retry) {
    HINTERNET request;
    if (!OpenRemoteFile(url, &request, length, outcome, status)) {
      *text = static_cast<char*>(malloc(static_cast<size_t>(*length)));
      *outcome = TransferLocalWrite;
      if (*text != nullptr) ReadRemoteFile(request, *text, *length, outcome);
      if (!InternetCloseHandle(request) && *outcome == TransferDone) *outcome = TransferConnectionLost;
      if (*outcome == TransferDone) return false;
      free(*text);
      *text = nullptr;
    }
    if (*outcome == TransferCancelled || InstallState.CancelRequested) {
      *outcome = TransferCancelled;
      return true;
    }
    if (!IsWorthRetrying(*outcome, *status) || retry == TransferRetries) return true;
    if (!PauseBeforeRetry(retry + 1)) {
      *outcome = TransferCancelled;
      return true;
    }
  }
}

bool MakeDirectory(const char* path) {
  return _mkdir(path) == 0 || errno == EEXIST;
}

HANDLE CreateLocalFile(const char* path) {
  return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file-list work of one disc: every file of every chosen component.
bool DownloadDiscFiles(int disc, const char* discFolder, const char* list, int32_t listLength) {
  for (int component = 0; component < ComponentCount; ++component) {
    if (!InstallState.DiscContent[disc - 1].Present[component]) continue;
    if (InstallState.CancelRequested) return true;
    for (int k = 1;; ++k) {
      if (InstallState.CancelRequested) return true;
      char key[32];
      FormatNumberedKey(key, sizeof key, "File", k);
      char value[TextSize];
      IniLookup(Components[component].Key, key, value, sizeof value, list, static_cast<size_t>(listLength));
      if (value[0] == '*') break;
      char name[TextSize];
      SourceNameFromEntry(name, sizeof name, value);
      if (DownloadFile(discFolder, name, true)) return true;
    }
  }
  return false;
}

bool SaveFileList(const char* discFolder, const char* listName, const char* list, int32_t listLength) {
  char path[TextSize];
  BuildLocalPath(path, sizeof path, discFolder, listName);
  HANDLE file = CreateLocalFile(path);
  if (file == INVALID_HANDLE_VALUE) return true;
  DWORD written = 0;
  BOOL ok = WriteFile(file, list, static_cast<DWORD>(listLength), &written, nullptr);
  CloseHandle(file);
  return !ok || written != static_cast<DWORD>(listLength);
}

}  // namespace

bool FetchCatalogue() {
  char url[TextSize];
  BuildRemoteUrl(url, sizeof url, "Disc_01", CatalogueFileName);
  char* catalogue;
  int32_t length;
  TransferOutcome outcome;
  int status = 0;
  if (FetchWholeFile(url, &catalogue, &length, &outcome, &status)) {
    RecordDownloadFailure("Disc_01", CatalogueFileName, outcome, status);
    InstallState.CancelRequested = 1;
    return true;
  }
  size_t size = static_cast<size_t>(length);

  char root[TextSize];
  IniLookup("System", "RootDirectory", root, sizeof root, catalogue, size);
  // The root is one folder name (or a path) below the drive's root; one
  // that would lead elsewhere is no usable root, nor is one too long for
  // the paths the run builds on it (cut, they would name other folders: a
  // value longer than a catalogue line can hold always is). Decided here
  // once, so that those paths are whole wherever they are built later.
  const char systemFolder[] = "\\ZeltaWin32\\";
  if (root[0] == '*' || !IsSafeSourceName(root) || !RootDirectoryFits(InstallState.TargetDrive, root)) {
    HWND owner = GetFocus();
    if (owner == nullptr) owner = InstallState.ProgressDialog;
    MessageBoxA(owner, "A telepítési könyvtár nem található a WEB-en!", "ZeltaCAD System Error!",
                MB_ICONERROR | MB_OK);
    free(catalogue);
    InstallState.CancelRequested = 1;
    return true;
  }
  memset(InstallState.RootDirectory, 0, sizeof InstallState.RootDirectory);
  TextCopy(InstallState.RootDirectory, root);
  TextAppend(InstallState.BasePath, root);
  TextAppend(InstallState.BasePath, systemFolder);

  for (int disc = 1; disc <= DiscCount; ++disc) {
    if (InstallState.CancelRequested) {
      free(catalogue);
      return true;
    }
    char section[32];
    FormatDiscSection(section, sizeof section, disc);
    char value[TextSize];
    if (!IniLookup(section, "", value, sizeof value, catalogue, size)) continue;
    DiscContentRecord& content = InstallState.DiscContent[disc - 1];
    for (int component = 0; component < ComponentCount; ++component) {
      if (InstallState.CancelRequested) {
        free(catalogue);
        return true;
      }
      if (!InstallState.ComponentDownload[component]) continue;
      // A value beginning with "*" is absent, as for every catalogue lookup.
      if (!IniLookup(section, Components[component].Key, value, sizeof value, catalogue, size) ||
          value[0] == '*') {
        continue;
      }
      content.Bytes[component] = TextToInt64(value);
      content.Present[component] = 1;
      InstallState.DownloadBytes += content.Bytes[component];
    }
  }
  free(catalogue);

  for (int disc = 1; disc <= DiscCount; ++disc) {
    if (InstallState.CancelRequested) return true;
    const DiscContentRecord& content = InstallState.DiscContent[disc - 1];
    for (int component = 0; component < ComponentCount; ++component) {
      if (InstallState.ComponentDownload[component] && content.Present[component]) {
        InstallState.InstallBytes += content.Bytes[component];
      }
    }
  }
  InstallState.ProgressTotal = InstallState.DownloadBytes + InstallState.InstallBytes;
  return false;
}

bool CreateDownloadFolders() {
  const int drive = InstallState.TargetDrive;
  char root[TextSize], system[TextSize], area[TextSize];
  return !FormatInstallRoot(root, sizeof root, drive, InstallState.RootDirectory) || !MakeDirectory(root) ||
         !FormatSystemFolder(system, sizeof system, drive, InstallState.RootDirectory) ||
         !MakeDirectory(system) || !JoinWhole(area, sizeof area, system, "\\Install") || !MakeDirectory(area);
}

bool DownloadDistribution() {
  NormalEnd = false;
  for (int disc = 1; disc <= DiscCount; ++disc) {
    if (InstallState.CancelRequested) return true;

    char discFolder[32];
    FormatDiscFolder(discFolder, sizeof discFolder, disc);
    char path[TextSize];
    BuildLocalPath(path, sizeof path, discFolder, nullptr);
    if (!MakeDirectory(path)) return true;

    char listName[32];
    FormatFileListName(listName, sizeof listName, disc);
    char url[TextSize];
    BuildRemoteUrl(url, sizeof url, discFolder, listName);
    char* list;
    int32_t listLength;
    TransferOutcome outcome;
    int status = 0;
    if (FetchWholeFile(url, &list, &listLength, &outcome, &status)) {
      // The first disc whose file list the server does not have ends the
      // distribution; a list that could not be brought is a failure.
      NormalEnd = disc > 1 && (outcome == TransferStatus || outcome == TransferBadAnswer) &&
                  !IsWorthRetrying(outcome, status);
      if (!NormalEnd) RecordDownloadFailure(discFolder, listName, outcome, status);
      return true;
    }

    bool failed = DownloadDiscFiles(disc, discFolder, list, listLength);
    if (!failed && disc == 1) failed = DownloadFile("Disc_01", CatalogueFileName, false);
    if (!failed) failed = SaveFileList(discFolder, listName, list, listLength);
    free(list);
    if (failed) return true;
  }
  return false;
}

bool DownloadReachedNormalEnd() {
  return NormalEnd;
}
