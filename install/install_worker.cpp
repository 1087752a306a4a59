#include "install/install_worker.h"

#include <windows.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_paths.h"
#include "catalogue/install_state.h"
#include "catalogue/read_catalogue.h"
#include "common/bounded_text.h"
#include "install/desktop_shortcut.h"
#include "install/directory_creation.h"
#include "install/file_installation.h"
#include "install/font_installation.h"
#include "install/registry_record.h"
#include "progress/progress_animation.h"
#include "progress/progress_items.h"
#include "resources/resource_ids.h"
#include "web/distribution_download.h"
#include "web/internet_session.h"
#include "web/status_log.h"
#include "web/transfer_outcome.h"
#include "web/vendor_connection.h"
#include "web/vendor_paths.h"

namespace {

// The worker's last act on a run without success: it counts as ended, and
// the cancel button becomes "Kilépés", enabled. It ends first, so that a
// press while the button changes closes the dialog instead of being taken
// for a cancel request (which would disable the button for good).
void EndWorkerWithExitButton() {
  InstallState.WorkerRunning = 0;
  HWND button = GetDlgItem(InstallState.ProgressDialog, IDCANCEL);
  SetWindowTextA(button, "Kilépés");
  EnableWindow(button, TRUE);
}

void Reset() {
  ClearSessionHandles();
  for (DiscContentRecord& disc : InstallState.DiscContent) disc = DiscContentRecord{};
  for (int component = ComponentDrawings; component < ComponentCount; ++component) {
    InstallState.ComponentDownload[component] = InstallState.ComponentChosen[component];
  }
  InstallState.ComponentDownload[ComponentSetup] = 1;
  InstallState.ComponentDownload[ComponentSystems] = 1;
  InstallState.DownloadBytes = 0;
  InstallState.InstallBytes = 0;
  InstallState.ProgressDone = 0;
  InstallState.ProgressTotal = 0;
  ClearDownloadFailure();
}

// A string-table text with its one "%s" filled.
void LoadPattern(char* out, size_t size, UINT id, const char* argument) {
  char pattern[256];
  if (LoadStringA(InstallState.Instance, id, pattern, sizeof pattern) <= 0) pattern[0] = '\0';
  TextFillPattern(out, size, pattern, argument);
}

// Why the download ended the run, in the message area (which shows once the
// worker's animation has gone): the file (or folder), then what happened.
void ShowDownloadFailure() {
  if (!DownloadFailure.Failed) return;
  char file[512], reason[256];
  LoadPattern(file, sizeof file, FailureHeadStringId(DownloadFailure.Outcome), DownloadFailure.File);
  LoadPattern(reason, sizeof reason, FailureReasonStringId(DownloadFailure.Outcome, DownloadFailure.Status),
              DownloadFailure.Detail);
  char text[800];
  TextCopy(text, "\n\n");
  TextAppend(text, file);
  TextAppend(text, "\n");
  TextAppend(text, reason);
  ShowProgressStep(IDC_MESSAGE_AREA, text);
}

void CancelledEnding() {
  ShowDownloadFailure();
  ShowProgressStep(IDC_PHASE_LINE, "A telepítési folyamat megszakítva!");
  EndWorkerWithExitButton();
}

void NoConnectionEnding() {
  ShowProgressStep(IDC_PHASE_LINE, "");
  char text[512];
  TextCopy(text, "\n\nA telepítő rendszernek nincs Internet kapcsolata,\n vagy nincs letöltési engedélye az '");
  TextAppend(text, WebHost());
  TextAppend(text, "' WEB lappról!!!");
  ShowProgressStep(IDC_MESSAGE_AREA, text);
  EndWorkerWithExitButton();
}

// The download, after a session has been opened and probed. A failure that
// is not the normal end of the distribution ends the run, its reason shown:
// installing a partial product would only report missing files one by one.
void Download() {
  if (FetchCatalogue()) return;
  if (CreateDownloadFolders()) {
    InstallState.CancelRequested = 1;
    return;
  }
  ShowProgressStep(IDC_PHASE_LINE, "A telepítési adatok letöltése folyik... (ez idő igényes lehet...)");
  const int shown[] = {IDC_FILE_LINE, IDC_PROGRESS_BAR, IDC_ACTIVITY_MARK, IDC_PERCENT};
  for (int item : shown) ShowWindow(GetDlgItem(InstallState.ProgressDialog, item), SW_SHOW);
  SwitchAnimation(IDR_CLIP_DOWNLOADING);
  if (DownloadDistribution() && !DownloadReachedNormalEnd()) InstallState.CancelRequested = 1;
}

}  // namespace

void InstallWorker() {
  InstallState.WorkerRunning = 1;
  Reset();
  TextFormat(InstallState.BasePath, sizeof InstallState.BasePath, "%c:\\", DriveLetter(InstallState.TargetDrive));

  ShowProgressStep(IDC_PHASE_LINE, "A telepítési adatok kigyűjtése folyik...");
  StartAnimation(IDC_MESSAGE_AREA, IDR_CLIP_CONNECTING);

  if (!ConnectToVendor()) {
    // A cancel while connecting is the user's, not a missing connection.
    if (InstallState.CancelRequested) return CancelledEnding();
    NoConnectionEnding();
    return;
  }
  Download();
  CloseSession();
  StatusReporter(2, "Az internet kapcsolat bezárva!");
  if (InstallState.CancelRequested) return CancelledEnding();

  ShowProgressStep(IDC_PHASE_LINE, "A rendszer könyvtárak létrehozása...");
  SwitchAnimation(IDR_CLIP_INSTALLING);
  BuildLocalPath(InstallState.CataloguePath, sizeof InstallState.CataloguePath, "Disc_01", CatalogueFileName);
  CreateDirectories();
  if (InstallState.CancelRequested) return CancelledEnding();

  ShowProgressStep(IDC_PHASE_LINE, "A rendszer állományok telepítése...");
  BuildLocalPath(InstallState.DownloadArea, sizeof InstallState.DownloadArea, nullptr, nullptr);
  ReadCatalogue();
  if (InstallState.CancelRequested) return CancelledEnding();

  if (InstallFiles(InstallState.ProgressDialog) != 0) return CancelledEnding();

  ShowProgressItem(IDC_PERCENT, "100.0%");
  ShowProgressStep(IDC_ACTIVITY_MARK, ".");
  ShowProgressItem(IDC_FILE_LINE, "   ....");
  ShowProgressStep(IDC_PHASE_LINE, "A telepítés regisztrálása...");
  WriteRegistryRecord();
  if (InstallState.CancelRequested) return CancelledEnding();

  ShowProgressStep(IDC_ACTIVITY_MARK, "..");
  RegisterFileTypes();
  if (InstallState.CancelRequested) return CancelledEnding();

  ShowProgressStep(IDC_ACTIVITY_MARK, "...");
  InstallFonts();
  if (InstallState.CancelRequested) return CancelledEnding();

  ShowProgressStep(IDC_ACTIVITY_MARK, "....");
  CreateDesktopShortcut();
  ShowProgressStep(IDC_ACTIVITY_MARK, ".....");
  if (InstallState.CancelRequested) return CancelledEnding();

  ShowProgressStep(IDC_PHASE_LINE, "A telepítés sikeresen végrehajtva!");
  PostMessageA(InstallState.ProgressDialog, WM_COMMAND, CMD_WORKER_FINISHED, 0);
  InstallState.WorkerRunning = 0;
}
