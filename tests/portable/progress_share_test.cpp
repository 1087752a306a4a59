#include "progress/progress_share.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "common/bounded_text.h"

namespace {

// A distribution of 2.5 GiB counts 5 GiB in all (download and
// installation): every share stays right and within the bar's range.
TEST(ProgressShare, LargeDistributionsAndTheEnds) {
  const int64_t size = 2684354560;  // 2.5 GiB
  const int64_t total = 2 * size;
  EXPECT_DOUBLE_EQ(ProgressThousandths(0, total), 0.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(size, total), 500.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(total, total), 1000.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(INT64_C(2147483648), total), 400.0);  // past 2^31
  // Never out of the bar's range, whatever is counted.
  EXPECT_DOUBLE_EQ(ProgressThousandths(total + 1000, total), 1000.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(-5, total), 0.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(12345, 0), 0.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(1, 3), 1000.0 / 3.0);
}

// Without a total the download shows nothing and the file installation a
// step; with one, both show the same share.
TEST(ProgressShare, WhatEachWorkShowsWithoutATotal) {
  char text[16];
  FormatPercent(text, sizeof text, ProgressThousandths(12345, 0, NoTotalShowsNothing));
  EXPECT_STREQ(text, "  0.0%");
  FormatPercent(text, sizeof text, ProgressThousandths(12345, 0, NoTotalShowsAStep));
  EXPECT_STREQ(text, "  1.0%");
  EXPECT_DOUBLE_EQ(ProgressThousandths(12345, -1, NoTotalShowsAStep), 10.0);
  EXPECT_DOUBLE_EQ(ProgressThousandths(250, 1000, NoTotalShowsAStep), 250.0);
  FormatPercent(text, sizeof text, 1000.0);
  EXPECT_STREQ(text, "100.0%");
}

TEST(ProgressShare, SizesBeyond32BitsAreReadWhole) {
  EXPECT_EQ(TextToInt64("2684354560"), INT64_C(2684354560));
  EXPECT_EQ(TextToInt64(" 42abc"), 42);
  EXPECT_EQ(TextToInt64("x"), 0);
  EXPECT_EQ(TextToInt64(nullptr), 0);
  EXPECT_EQ(TextToInt32("2684354560"), INT32_MAX);  // the 32-bit form still holds at its limit
}

}  // namespace
