#include "tools/vendor/fault-server/fault_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

FaultPlan Plan(const std::string& line) {
  FaultPlan plan;
  std::string problem;
  EXPECT_TRUE(ParseFaultLine(line, plan, problem)) << line << ": " << problem;
  return plan;
}

std::string Problem(const std::string& line) {
  FaultPlan plan;
  std::string problem;
  EXPECT_FALSE(ParseFaultLine(line, plan, problem)) << line;
  return problem;
}

TEST(FaultPlan, EveryWord) {
  EXPECT_EQ(Plan("status 404").kind, FaultStatus);
  EXPECT_EQ(Plan("status 404").number, 404);
  EXPECT_EQ(Plan("redirect http://x.example/a?b=1").url, "http://x.example/a?b=1");
  EXPECT_EQ(Plan("redirect /a").kind, FaultRedirect);
  EXPECT_EQ(Plan("no-length").kind, FaultNoLength);
  EXPECT_EQ(Plan("chunked").kind, FaultChunked);
  EXPECT_EQ(Plan("zero-length").kind, FaultZeroLength);
  EXPECT_EQ(Plan("short 0").kind, FaultShort);
  EXPECT_EQ(Plan("short 1000").number, 1000);
  EXPECT_EQ(Plan("drop 7").kind, FaultDrop);
  EXPECT_EQ(Plan("drop 7").number, 7);
  EXPECT_EQ(Plan("slow 250").kind, FaultSlow);
  EXPECT_EQ(Plan("slow 250").number, 250);
  EXPECT_EQ(Plan("html").kind, FaultHtml);
}

TEST(FaultPlan, AsWindowsProgramsWriteIt) {
  // CR LF, blanks, a byte order mark, another case, a second line.
  EXPECT_EQ(Plan("status 500\r\n").number, 500);
  EXPECT_EQ(Plan("  Status\t503  \r\nignored").number, 503);
  EXPECT_EQ(Plan("\xEF\xBB\xBFhtml\r\n").kind, FaultHtml);
  EXPECT_EQ(Plan("NO-LENGTH").kind, FaultNoLength);
}

TEST(FaultPlan, BadWordsAreRefused) {
  EXPECT_EQ(Problem(""), "empty fault file");
  EXPECT_EQ(Problem(" \r\n"), "empty fault file");
  EXPECT_NE(Problem("bogus").find("unknown fault 'bogus'"), std::string::npos);
  EXPECT_NE(Problem("status").find("unknown fault"), std::string::npos);
  EXPECT_EQ(Problem("status 199"), "status needs a code from 200 to 599");
  EXPECT_EQ(Problem("status 600"), "status needs a code from 200 to 599");
  EXPECT_EQ(Problem("status 4o4"), "status needs a code from 200 to 599");
  EXPECT_EQ(Problem("short -1"), "short needs a byte count");
  EXPECT_EQ(Problem("slow 5001"), "slow needs a pause of 0 to 5000 ms");
  EXPECT_EQ(Problem("html now"), "html takes no argument");
  EXPECT_NE(Problem("drop 1 2").find("unknown fault"), std::string::npos);
}

TEST(FaultRequestPath, DecodesAndMapsBackslashes) {
  std::string path;
  ASSERT_TRUE(DecodeRequestPath("/UpDate-V9.20/VarnelDemo/Disc_01\\Systems\\bin\\zelta.exe", path));
  EXPECT_EQ(path, "/UpDate-V9.20/VarnelDemo/Disc_01/Systems/bin/zelta.exe");
  ASSERT_TRUE(DecodeRequestPath("/a%5Cb%5cc%20d.txt?x=1#f", path));
  EXPECT_EQ(path, "/a/b/c d.txt");
  ASSERT_TRUE(DecodeRequestPath("//a/./b//c", path));
  EXPECT_EQ(path, "/a/b/c");
  ASSERT_TRUE(DecodeRequestPath("/", path));
  EXPECT_EQ(path, "/");
}

TEST(FaultRequestPath, RefusesWhatLeavesTheSite) {
  std::string path;
  EXPECT_FALSE(DecodeRequestPath("/a/../b", path));
  EXPECT_FALSE(DecodeRequestPath("/a\\..\\b", path));
  EXPECT_FALSE(DecodeRequestPath("/a/%2E%2E/b", path));
  EXPECT_FALSE(DecodeRequestPath("/a%00b", path));
  EXPECT_FALSE(DecodeRequestPath("/a%zz", path));
  EXPECT_FALSE(DecodeRequestPath("/a%2", path));
  EXPECT_FALSE(DecodeRequestPath("a/b", path));
  EXPECT_FALSE(DecodeRequestPath("", path));
  EXPECT_FALSE(DecodeRequestPath("http://host/a", path));
}

TEST(FaultAnswers, ReasonsAndPages) {
  EXPECT_STREQ(ReasonPhrase(404), "Not Found");
  EXPECT_STREQ(ReasonPhrase(302), "Found");
  EXPECT_STREQ(ReasonPhrase(599), "Unknown");
  std::string page = HtmlPage("403 Forbidden", "No.");
  EXPECT_EQ(page.compare(0, 15, "<!DOCTYPE html>"), 0);
  EXPECT_NE(page.find("<title>403 Forbidden</title>"), std::string::npos);
}

}  // namespace
