#include "progress/progress_share.h"

#include "common/bounded_text.h"

double ProgressThousandths(int64_t done, int64_t total, NoTotalShare noTotal) {
  if (total <= 0) return static_cast<double>(noTotal);
  double share = static_cast<double>(done) * 1000.0 / static_cast<double>(total);
  if (share < 0.0) return 0.0;
  if (share > 1000.0) return 1000.0;
  return share;
}

size_t FormatPercent(char* out, size_t size, double thousandths) {
  return TextFormat(out, size, "%5.1f%%", thousandths * 100.0 / 1000.0);
}
