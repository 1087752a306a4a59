#include "install/advance_progress.h"

#include <windows.h>
#include <commctrl.h>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"

size_t FormatPercent(char* out, size_t size, double thousandths) {
  return TextFormat(out, size, "%5.1f%%", thousandths * 100.0 / 1000.0);
}

void AdvanceProgress(int32_t bytes) {
  InstallState.ProgressDone += bytes;
  double r = 0.0;
  if (InstallState.ProgressTotal != 0) {
    r = static_cast<double>(InstallState.ProgressDone) * 1000.0 / static_cast<double>(InstallState.ProgressTotal);
  }
  if (InstallState.ProgressBar != nullptr) {
    SendMessageA(InstallState.ProgressBar, PBM_SETPOS, static_cast<WPARAM>(static_cast<int>(r)), 0);
  }
  char percent[32];
  FormatPercent(percent, sizeof percent, r);
  SetDlgItemTextA(InstallState.ProgressDialog, ItemPercent, percent);
}
