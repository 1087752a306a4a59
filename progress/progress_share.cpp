#include "install/progress_share.h"

double ProgressThousandths(int64_t done, int64_t total) {
  if (total <= 0) return 0.0;
  double share = static_cast<double>(done) * 1000.0 / static_cast<double>(total);
  if (share < 0.0) return 0.0;
  if (share > 1000.0) return 1000.0;
  return share;
}
