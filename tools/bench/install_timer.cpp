// Times one whole installation of the real ZeltaWebInstall.exe, worked from
// another process as a user would: waits for the setup dialog, lets it sit
// idle, presses "Telepítés" and follows the progress dialog to its end.
//
//   install_timer.exe INSTALLER RESULT-FILE MARK-FOLDER
//
// It leaves the empty files "idle", "start" and "end" in MARK-FOLDER at those
// moments (a memory sampler on the host labels its samples by them) and
// writes RESULT-FILE as "key=value" lines: seconds (from the press to the
// success text), outcome, exit code and the texts of the boxes answered.
// Exit code: 0 when the installation succeeded.
#include <windows.h>

#include <cstdio>
#include <string>

#include "resources/resource_ids.h"
#include "tests/e2e/installer_session.h"

namespace {

const char SuccessText[] = "A telepítés sikeresen végrehajtva!";

void Mark(const std::string& folder, const char* name) {
  HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: install_timer INSTALLER RESULT-FILE MARK-FOLDER\n");
    return 2;
  }
  std::string installer = argv[1];
  std::string marks = argv[3];
  FILE* result = fopen(argv[2], "w");
  if (result == nullptr) {
    fprintf(stderr, "install_timer: cannot write %s\n", argv[2]);
    return 2;
  }

  InstallerSession session;
  HWND setup = nullptr;
  if (session.Start(installer)) setup = session.WaitForSetupDialog(60000);
  if (setup == nullptr) {
    fprintf(result, "outcome=no setup dialog\n");
    fclose(result);
    return 1;
  }
  // The setup dialog as the user first sees it, before anything is pressed.
  Sleep(1500);
  Mark(marks, "idle");
  Sleep(500);

  LARGE_INTEGER frequency, pressed, now, finished = {};
  QueryPerformanceFrequency(&frequency);
  Mark(marks, "start");
  QueryPerformanceCounter(&pressed);
  InstallerSession::Click(setup, IDOK);
  HWND progress = session.WaitForProgressDialog(60000);

  std::string outcome = "no progress dialog";
  int boxes = 0;
  if (progress != nullptr) {
    std::string lastPhase;
    auto answer = [&](const std::string& text) {
      fprintf(result, "box=%s\n", text.c_str());
      ++boxes;
      return IDYES;
    };
    auto during = [&](HWND dialog) {
      QueryPerformanceCounter(&now);
      std::string phase = InstallerSession::Text(dialog, IDC_PHASE_LINE);
      if (phase == lastPhase) return;
      fprintf(result, "phase=%.3f %s\n", Seconds(pressed, now, frequency), phase.c_str());
      lastPhase = phase;
      if (finished.QuadPart == 0 && phase == SuccessText) finished = now;
    };
    InstallerSession::Progress seen = session.Follow(progress, answer, during, 3600 * 1000);
    QueryPerformanceCounter(&now);
    if (seen.ended) {
      // The dialog closes itself right after the success text.
      if (finished.QuadPart == 0) finished = now;
      outcome = "success";
    } else if (seen.buttonEnabled) {
      outcome = "ended without success: " + seen.phases.back();
      InstallerSession::Click(progress, IDCANCEL);
    } else {
      outcome = "timed out";
    }
  }
  Mark(marks, "end");
  int code = session.WaitForExit(120000);
  fprintf(result, "outcome=%s\n", outcome.c_str());
  if (outcome == "success") fprintf(result, "seconds=%.3f\n", Seconds(pressed, finished, frequency));
  fprintf(result, "boxes=%d\nexit=%d\n", boxes, code);
  fclose(result);
  return outcome == "success" && code == 0 ? 0 : 1;
}
