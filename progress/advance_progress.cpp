#include "progress/advance_progress.h"

#include "catalogue/install_state.h"
#include "progress/progress_items.h"
#include "resources/resource_ids.h"

namespace {

void ShowPercent(double thousandths) {
  char percent[32];
  FormatPercent(percent, sizeof percent, thousandths);
  ShowProgressItem(IDC_PERCENT, percent);
}

}  // namespace

void AdvanceProgress(int64_t bytes, NoTotalShare noTotal) {
  InstallState.ProgressDone += bytes;
  double share = ProgressThousandths(InstallState.ProgressDone, InstallState.ProgressTotal, noTotal);
  ShowProgressPosition(static_cast<int>(share));
  ShowPercent(share);
}

void ShowProgressPercent(int64_t done, NoTotalShare noTotal) {
  ShowPercent(ProgressThousandths(done, InstallState.ProgressTotal, noTotal));
}
