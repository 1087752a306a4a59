#include "web/status_log.h"

#include <gtest/gtest.h>

#include <string>

#include "web/error_text.h"

namespace {

class StatusLogTest : public ::testing::Test {
 protected:
  void SetUp() override { StatusLogClear(); }
  void TearDown() override { StatusLogClear(); }
};

TEST_F(StatusLogTest, TextsAreCutAfter255Characters) {
  std::string t254(254, 'a'), t255(255, 'b'), t256(256, 'c'), t4000(4000, 'd');
  StatusReporter(4, t254.c_str());
  StatusReporter(4, t255.c_str());
  StatusReporter(4, t256.c_str());
  StatusReporter(0, t4000.c_str());
  ASSERT_EQ(StatusLogCount(), 4u);
  EXPECT_EQ(std::string(StatusLogEntry(0)->text), t254);
  EXPECT_EQ(std::string(StatusLogEntry(1)->text), t255);
  EXPECT_EQ(std::string(StatusLogEntry(2)->text), std::string(255, 'c'));
  EXPECT_EQ(std::string(StatusLogEntry(3)->text), std::string(255, 'd'));
}

TEST_F(StatusLogTest, EntriesKeepTheOrderOfTheCallsAndRepeats) {
  // Enough entries to make the log grow several times.
  for (int i = 0; i < 1000; ++i) {
    StatusReporter(i % 5, i % 2 ? "Az internet kapcsolat bez\xE1rva!" : "same");
  }
  ASSERT_EQ(StatusLogCount(), 1000u);
  for (size_t i = 0; i < 1000; ++i) {
    const StatusEntry* e = StatusLogEntry(i);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->level, static_cast<int32_t>(i % 5));
    EXPECT_STREQ(e->text, i % 2 ? "Az internet kapcsolat bez\xE1rva!" : "same");
  }
  EXPECT_EQ(StatusLogEntry(1000), nullptr);
}

TEST(ErrorText, PrefixIsFollowedDirectlyByTheArgument) {
  char out[256];
  BuildErrorText(out, sizeof out, "Hiba", "[RP029]", nullptr,
                 "Ez a file nem el\xE9rhet\xF5!: http://h/x");
  EXPECT_STREQ(out, "- Hiba: [RP029] :Ez a file nem el\xE9rhet\xF5!: http://h/x");
}

TEST(ErrorText, MessageTextAloneOrFilled) {
  char out[256];
  BuildErrorText(out, sizeof out, "Hiba", nullptr, "Hiba: %s !", "X");
  EXPECT_STREQ(out, "Hiba: X !");
  BuildErrorText(out, sizeof out, "Hiba", nullptr, "100% %s", nullptr);  // no argument: as it is
  EXPECT_STREQ(out, "100% %s");
  BuildErrorText(out, sizeof out, "Hiba", "[C1]", "text", nullptr);
  EXPECT_STREQ(out, "- Hiba: [C1] :text");
  BuildErrorText(out, sizeof out, "Hiba", nullptr, nullptr, nullptr);
  EXPECT_STREQ(out, "");
}

TEST(ErrorText, ResultIsCutAndTheWholeBufferCleared) {
  char out[16];
  memset(out, 'x', sizeof out);
  BuildErrorText(out, sizeof out, "Hiba", "[RP029]", nullptr, "abcdef");
  EXPECT_STREQ(out, "- Hiba: [RP029]");  // 15 characters
  memset(out, 'x', sizeof out);
  BuildErrorText(out, sizeof out, "Hiba", nullptr, nullptr, "ab");
  for (size_t i = 2; i < sizeof out; ++i) EXPECT_EQ(out[i], '\0') << i;
  // An argument longer than any buffer is cut, never overrun.
  std::string url(4000, 'u');
  char big[256];
  BuildErrorText(big, sizeof big, "Hiba", "[RP029]", nullptr, url.c_str());
  EXPECT_EQ(strlen(big), 255u);
}

}  // namespace
