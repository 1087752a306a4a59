#include "web/distribution_download.h"

#include <windows.h>
#include <wininet.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <direct.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_paths.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "common/path_names.h"
#include "progress/progress_message.h"
#include "web/content_checksum.h"
#include "web/file_download.h"
#include "web/ini_lookup.h"
#include "web/remote_file.h"
#include "web/retry_loop.h"
#include "web/transfer_outcome.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

bool NormalEnd = false;

// A whole small file from the server (catalogue, file list, checksum list)
// read into memory, and how its last try went.
struct WholeFileFetch {
  const char* url;
  bool closeCounts;  // a request that cannot be closed fails the read (the catalogue's)
  char* text;        // the caller frees it
  int32_t length;
  int status;
};

// One try for the retry loop.
TryReport TryWholeFile(void* work) {
  WholeFileFetch& f = *static_cast<WholeFileFetch*>(work);
  TryReport report = {};
  HINTERNET request;
  if (!OpenRemoteFile(f.url, &request, &f.length, &report.Outcome, &f.status)) {
    f.text = static_cast<char*>(malloc(static_cast<size_t>(f.length)));
    report.Outcome = TransferOutOfMemory;
    if (f.text != nullptr) ReadRemoteFile(request, f.text, f.length, &report.Outcome);
    if (!InternetCloseHandle(request) && f.closeCounts && report.Outcome == TransferDone) {
      report.Outcome = TransferConnectionLost;
    }
    if (report.Outcome != TransferDone) {
      free(f.text);
      f.text = nullptr;
    }
  }
  report.Status = f.status;
  return report;
}

// Fetches a whole small file, tried again after a failure worth it. With
// `closeCounts`, a request that cannot be closed fails the read (the
// catalogue's); otherwise it changes nothing (the lists'). The caller frees
// *text. Returns true on failure, *outcome and *status telling why.
bool FetchWholeFile(const char* url, bool closeCounts, char** text, int32_t* length, TransferOutcome* outcome,
                    int* status) {
  WholeFileFetch f = {url, closeCounts, nullptr, 0, 0};
  *outcome = RetryUntilDone(TryWholeFile, &f, 0);
  *text = f.text;
  *length = f.length;
  *status = f.status;
  return *outcome != TransferDone;
}

bool MakeDirectory(const char* path) {
  return _mkdir(path) == 0 || errno == EEXIST;
}

// The same, a failure recorded for the run's ending.
bool MakeDownloadFolder(const char* path) {
  if (MakeDirectory(path)) return true;
  RecordFolderFailure(path);
  return false;
}

// The answer that ends the distribution: the server does not have the file.
bool IsMissingOnServer(TransferOutcome outcome, int status) {
  return outcome == TransferStatus && (status == 404 || status == 410);
}

// The disc's checksum list, when the vendor publishes one: *sums is null
// when the server does not have it (the files are not checked, as before
// there were lists). Any other failure to read it, or a list with a line
// it cannot read, fails the run. The caller frees *text.
bool FetchChecksums(int disc, const char* discFolder, char** text, DiscChecksums* sums, const DiscChecksums** found) {
  char name[32];
  FormatChecksumListName(name, sizeof name, disc);
  char url[TextSize];
  BuildRemoteUrl(url, sizeof url, discFolder, name);
  int32_t length = 0;
  TransferOutcome outcome;
  int status = 0;
  *found = nullptr;
  if (FetchWholeFile(url, false, text, &length, &outcome, &status)) {
    if (IsMissingOnServer(outcome, status)) return false;
    RecordDownloadFailure(discFolder, name, outcome, status);
    return true;
  }
  if (!IsUsableChecksumList(*text, static_cast<size_t>(length))) {
    RecordDownloadFailure(discFolder, name, TransferBadChecksumList, 0, "");
    return true;
  }
  sums->Text = *text;
  sums->Length = static_cast<size_t>(length);
  *found = sums;
  return false;
}

HANDLE CreateLocalFile(const char* path) {
  return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file-list work of one disc: every file of every chosen component.
bool DownloadDiscFiles(int disc, const char* discFolder, const char* list, int32_t listLength,
                       const DiscChecksums* sums) {
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
      if (DownloadFile(discFolder, name, true, sums)) return true;
    }
  }
  return false;
}

bool SaveFileList(const char* discFolder, const char* listName, const char* list, int32_t listLength) {
  char path[TextSize];
  BuildLocalPath(path, sizeof path, discFolder, listName);
  HANDLE file = CreateLocalFile(path);
  DWORD written = 0;
  bool saved = file != INVALID_HANDLE_VALUE && WriteFile(file, list, static_cast<DWORD>(listLength), &written, nullptr) &&
               written == static_cast<DWORD>(listLength);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!saved) RecordDownloadFailure(discFolder, listName, TransferLocalWrite, 0);
  return !saved;
}

}  // namespace

bool FetchCatalogue() {
  char url[TextSize];
  BuildRemoteUrl(url, sizeof url, "Disc_01", CatalogueFileName);
  char* catalogue;
  int32_t length;
  TransferOutcome outcome;
  int status = 0;
  if (FetchWholeFile(url, true, &catalogue, &length, &outcome, &status)) {
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
  if (root[0] == '*' || !IsSafeRootName(root) || !RootDirectoryFits(InstallState.TargetDrive, root)) {
    ShowProgressError("A telepítési könyvtár nem található a WEB-en!", "ZeltaCAD System Error!");
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
      // A size no file can have makes the catalogue unusable: summed, it
      // would overflow the counters or run them backwards.
      if (!ReadCatalogueSize(value, &content.Bytes[component])) {
        char entry[64];
        TextFormat(entry, sizeof entry, "[%s] %s=%.24s", section, Components[component].Key, value);
        RecordDownloadFailure("Disc_01", CatalogueFileName, TransferBadCatalogue, 0, entry);
        free(catalogue);
        InstallState.CancelRequested = 1;
        return true;
      }
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
  // The root decided when the catalogue was read keeps these paths whole.
  if (!FormatInstallRoot(root, sizeof root, drive, InstallState.RootDirectory) ||
      !FormatSystemFolder(system, sizeof system, drive, InstallState.RootDirectory) ||
      !FormatDownloadArea(area, sizeof area, drive, InstallState.RootDirectory)) {
    RecordFolderFailure(root);
    return true;
  }
  return !MakeDownloadFolder(root) || !MakeDownloadFolder(system) || !MakeDownloadFolder(area);
}

bool DownloadDistribution() {
  NormalEnd = false;
  for (int disc = 1; disc <= DiscCount; ++disc) {
    if (InstallState.CancelRequested) return true;

    char discFolder[32];
    FormatDiscFolder(discFolder, sizeof discFolder, disc);
    char path[TextSize];
    BuildLocalPath(path, sizeof path, discFolder, nullptr);
    if (!MakeDownloadFolder(path)) return true;

    char listName[32];
    FormatFileListName(listName, sizeof listName, disc);
    char url[TextSize];
    BuildRemoteUrl(url, sizeof url, discFolder, listName);
    char* list;
    int32_t listLength;
    TransferOutcome outcome;
    int status = 0;
    if (FetchWholeFile(url, false, &list, &listLength, &outcome, &status)) {
      // The first disc whose file list the server does not have ends the
      // distribution. Anything else (a refusal, a certificate, a redirect
      // to plain HTTP, an unusable answer) is a failure: taken for the end,
      // it would install part of the product as if it were all of it.
      NormalEnd = disc > 1 && IsMissingOnServer(outcome, status);
      if (!NormalEnd) RecordDownloadFailure(discFolder, listName, outcome, status);
      return true;
    }

    char* checksumText = nullptr;
    DiscChecksums checksums;
    const DiscChecksums* sums = nullptr;
    bool failed = FetchChecksums(disc, discFolder, &checksumText, &checksums, &sums) ||
                  DownloadDiscFiles(disc, discFolder, list, listLength, sums);
    if (!failed && disc == 1) failed = DownloadFile("Disc_01", CatalogueFileName, false, nullptr);
    if (!failed) failed = SaveFileList(discFolder, listName, list, listLength);
    free(checksumText);
    free(list);
    if (failed) return true;
  }
  return false;
}

bool DownloadReachedNormalEnd() {
  return NormalEnd;
}
