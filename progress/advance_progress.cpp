#include "install/advance_progress.h"

#include <windows.h>
#include <commctrl.h>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/progress_items.h"
#include "install/progress_share.h"
#include "resources/resource_ids.h"

size_t FormatPercent(char* out, size_t size, double thousandths) {
  return TextFormat(out, size, "%5.1f%%", thousandths * 100.0 / 1000.0);
}

void AdvanceProgress(int64_t bytes) {
  InstallState.ProgressDone += bytes;
  double r = ProgressThousandths(InstallState.ProgressDone, InstallState.ProgressTotal);
  ShowProgressPosition(static_cast<int>(r));
  char percent[32];
  FormatPercent(percent, sizeof percent, r);
  ShowProgressItem(IDC_PERCENT, percent);
}
