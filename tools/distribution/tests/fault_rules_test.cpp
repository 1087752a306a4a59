#include "tools/distribution/fault-server/fault_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  EXPECT_EQ(Plan("none").kind, FaultPlain);
  EXPECT_EQ(Plan("stall").kind, FaultStall);
  EXPECT_EQ(Plan("stall-after 1000").kind, FaultStallAfter);
  EXPECT_EQ(Plan("stall-after 1000").number, 1000);
  EXPECT_EQ(Plan("dark").kind, FaultDark);
  EXPECT_EQ(Plan("dark-after 300000").kind, FaultDarkAfter);
  EXPECT_EQ(Plan("dark-after 300000").number, 300000);
  EXPECT_EQ(Plan("ignore-range").kind, FaultIgnoreRange);
  EXPECT_EQ(Plan("old-drop 500").kind, FaultOldDrop);
  EXPECT_EQ(Plan("old-drop 500").number, 500);
  EXPECT_EQ(Plan("flip 700001").kind, FaultFlip);
  EXPECT_EQ(Plan("flip 700001").number, 700001);
  EXPECT_EQ(Plan("  Drop   300 \r\n").text, "Drop   300");
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
  EXPECT_EQ(Problem("stall 5"), "stall takes no argument");
  EXPECT_EQ(Problem("none 1"), "none takes no argument");
  EXPECT_EQ(Problem("stall-after x"), "stall-after needs a byte count");
  EXPECT_EQ(Problem("dark 1"), "dark takes no argument");
  EXPECT_EQ(Problem("dark-after -5"), "dark-after needs a byte count");
  EXPECT_NE(Problem("old-drop").find("unknown fault"), std::string::npos);
  EXPECT_EQ(Problem("flip -1"), "flip needs a byte count");
}

// Kinds of a fault file's plans, "kind,kind,...", or "!" and the problem.
std::string FileKinds(const std::string& text) {
  std::vector<FaultPlan> plans;
  std::string problem;
  if (!ParseFaultFile(text, plans, problem)) return "!" + problem;
  std::string kinds;
  for (const FaultPlan& plan : plans) kinds += (kinds.empty() ? "" : ",") + std::to_string(plan.kind);
  return kinds;
}

TEST(FaultFile, OneAttemptPerLine) {
  const std::string drop = std::to_string(FaultDrop), none = std::to_string(FaultPlain),
                    status = std::to_string(FaultStatus);
  struct Case {
    std::string text, kinds;
  } cases[] = {
      {"drop 300\r\n", drop},
      {"drop 300", drop},
      {"\xEF\xBB\xBF" "drop 300\r\nnone\r\n", drop + "," + none},
      {"\r\n  \r\ndrop 300\n\n\t\nstatus 503\r\nnone", drop + "," + status + "," + none},
      {"", "!empty fault file"},
      {"\r\n \n\t\r\n", "!empty fault file"},
      {"bogus", "!unknown fault 'bogus' (expected " + std::string(FaultWords()) + ")"},
      {"drop 300\r\n\r\nstatus 7\r\n", "!line 3: status needs a code from 200 to 599"},
      {std::string(MaxFaultFileBytes - 6, ' ') + "\nnone\n", none},
      {std::string(MaxFaultFileBytes - 5, ' ') + "\nnone\n", "!fault file over 4096 bytes"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileKinds(c.text), c.kinds) << c.text;
}

TEST(FaultFile, AttemptPicksLineThenStaysOnTheLast) {
  const struct {
    size_t count;
    long attempt;
    size_t index;
  } cases[] = {{1, 1, 0}, {1, 5, 0}, {3, 1, 0}, {3, 2, 1}, {3, 3, 2}, {3, 4, 2}, {3, 1000000, 2}, {3, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(PlanIndex(c.count, c.attempt), c.index) << c.count << " " << c.attempt;
  }
}

TEST(FaultFile, CountRestartsWhenTheFileChanges) {
  FaultFileId first;
  first.inode = 7;
  first.size = 20;
  first.mtimeNs = 1000;
  first.ctimeNs = 1000;
  FaultFileId rewritten = first, remade = first, touched = first, resized = first;
  rewritten.mtimeNs = 2000;
  remade.inode = 8;
  touched.ctimeNs = 3000;
  resized.size = 21;

  AttemptCounter counter;
  EXPECT_EQ(counter.Peek("web/a", first), 1);
  EXPECT_EQ(counter.Next("web/a", first), 1);
  EXPECT_EQ(counter.Peek("web/a", first), 2);  // a peek counts nothing
  EXPECT_EQ(counter.Next("web/a", first), 2);
  EXPECT_EQ(counter.Next("download/a", first), 1);  // per host and path
  EXPECT_EQ(counter.Next("web/a", first), 3);
  counter.Forget("web/a");
  EXPECT_EQ(counter.Next("web/a", first), 1);

  for (const FaultFileId& changed : {rewritten, remade, touched, resized}) {
    AttemptCounter fresh;
    fresh.Next("web/a", first);
    EXPECT_EQ(fresh.Next("web/a", first), 2);
    EXPECT_EQ(fresh.Peek("web/a", changed), 1);
    EXPECT_EQ(fresh.Next("web/a", changed), 1);
    EXPECT_EQ(fresh.Next("web/a", changed), 2);
  }
}

TEST(FaultFile, CounterStaysBounded) {
  AttemptCounter counter;
  FaultFileId id;
  counter.Next("keep", id);
  for (size_t i = 0; i < AttemptCounter::MaxKeys; ++i) counter.Next("k" + std::to_string(i), id);
  // Past the bound every count starts over.
  EXPECT_EQ(counter.Next("keep", id), 1);
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

TEST(Validators, AsNginxWritesThem) {
  EXPECT_EQ(EntityTag(0x5f5e1000, 40000), "\"5f5e1000-9c40\"");
  EXPECT_EQ(EntityTag(0, 0), "\"0-0\"");
  EXPECT_EQ(OldEntityTag(40000), "\"old-9c40\"");
  EXPECT_EQ(InvertBytes(std::string("\x00\xff\x0f A", 5)), std::string("\xff\x00\xf0\xdf\xbe", 5));
}

TEST(Validators, HttpDates) {
  const struct {
    time_t t;
    const char* text;
  } cases[] = {
      {0, "Thu, 01 Jan 1970 00:00:00 GMT"},
      {784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},
      {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
      {1709251199, "Thu, 29 Feb 2024 23:59:59 GMT"},
      {4102444800, "Fri, 01 Jan 2100 00:00:00 GMT"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HttpDate(c.t), c.text);
    time_t parsed = -1;
    EXPECT_TRUE(ParseHttpDate(c.text, parsed)) << c.text;
    EXPECT_EQ(parsed, c.t) << c.text;
  }
  for (const char* bad : {"", "Sun, 06 Nov 1994 08:49:37", "Sun, 06 Nov 1994 08:49:37 UTC",
                          "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994",
                          "Sun, 6 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
                          "Sun, 29 Feb 2100 00:00:00 GMT", "Sun, 31 Apr 1994 00:00:00 GMT",
                          "Sun, 06 Nop 1994 08:49:37 GMT", "Xyz, 06 Nov 1994 08:49:37 GMT",
                          "Sun, 06 Nov 1994 08:49:37 GMT "}) {
    time_t parsed;
    EXPECT_FALSE(ParseHttpDate(bad, parsed)) << bad;
  }
}

TEST(Conditions, NotModified) {
  const std::string tag = "\"5f5e1000-9c40\"";
  const time_t mtime = 784111777;
  const struct {
    const char *ifNoneMatch, *ifModifiedSince;
    bool notModified;
  } cases[] = {
      {"", "", false},
      {"\"5f5e1000-9c40\"", "", true},
      {"*", "", true},
      {"\"x\", \"5f5e1000-9c40\"", "", true},
      {"\"5f5e1000-9c41\"", "", false},
      {"W/\"5f5e1000-9c40\"", "", false},
      {"5f5e1000-9c40", "", false},
      // If-None-Match decides alone when it is there.
      {"\"x\"", "Sun, 06 Nov 1994 08:49:37 GMT", false},
      {"", "Sun, 06 Nov 1994 08:49:37 GMT", true},
      {"", "Mon, 07 Nov 1994 00:00:00 GMT", true},
      {"", "Sun, 06 Nov 1994 08:49:36 GMT", false},
      {"", "Sunday, 06-Nov-94 08:49:37 GMT", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NotModified(c.ifNoneMatch, c.ifModifiedSince, tag, mtime), c.notModified)
        << c.ifNoneMatch << " | " << c.ifModifiedSince;
  }
}

TEST(Conditions, IfRange) {
  const std::string tag = "\"5f5e1000-9c40\"", date = "Sun, 06 Nov 1994 08:49:37 GMT";
  EXPECT_TRUE(IfRangeHolds("", tag, date));
  EXPECT_TRUE(IfRangeHolds(tag, tag, date));
  EXPECT_TRUE(IfRangeHolds(date, tag, date));
  EXPECT_FALSE(IfRangeHolds("W/" + tag, tag, date));
  EXPECT_FALSE(IfRangeHolds("\"old-9c40\"", tag, date));
  EXPECT_FALSE(IfRangeHolds("Sun, 06 Nov 1994 08:49:38 GMT", tag, date));
  EXPECT_FALSE(IfRangeHolds("sun, 06 nov 1994 08:49:37 gmt", tag, date));
}

TEST(Conditions, Ranges) {
  const struct {
    const char* header;
    RangeResult result;
    unsigned long long first, last;
  } cases[] = {
      {"", RangeIgnored, 0, 0},
      {"bytes=1000-", RangeSatisfiable, 1000, 39999},
      {"bytes=0-99", RangeSatisfiable, 0, 99},
      {"Bytes= 5 - 5", RangeSatisfiable, 5, 5},
      {"bytes=39999-", RangeSatisfiable, 39999, 39999},
      {"bytes=100-99999999", RangeSatisfiable, 100, 39999},
      {"bytes=40000-", RangeUnsatisfiable, 0, 0},
      {"bytes=40000-40001", RangeUnsatisfiable, 0, 0},
      {"bytes=5-4", RangeIgnored, 0, 0},
      {"bytes=0-1,5-6", RangeIgnored, 0, 0},
      {"bytes=-500", RangeIgnored, 0, 0},
      {"bytes=x-", RangeIgnored, 0, 0},
      {"bytes=1-2x", RangeIgnored, 0, 0},
      {"bytes=1000", RangeIgnored, 0, 0},
      {"bytes=99999999999999999999-", RangeIgnored, 0, 0},
      {"items=0-1", RangeIgnored, 0, 0},
      {"bytes 0-1", RangeIgnored, 0, 0},
  };
  for (const auto& c : cases) {
    unsigned long long first = 0, last = 0;
    EXPECT_EQ(ParseRange(c.header, 40000, first, last), c.result) << c.header;
    if (c.result == RangeSatisfiable) {
      EXPECT_EQ(first, c.first) << c.header;
      EXPECT_EQ(last, c.last) << c.header;
    }
  }
  unsigned long long first, last;
  EXPECT_EQ(ParseRange("bytes=0-", 0, first, last), RangeUnsatisfiable);
}

TEST(Conditions, TheAnswer) {
  const time_t mtime = 784111777;
  const std::string tag = EntityTag(mtime, 40000), date = HttpDate(mtime);
  const struct {
    RequestConditions request;
    int status;
    unsigned long long first, count;
    const char* contentRange;
  } cases[] = {
      {{"", "", "", ""}, 200, 0, 40000, ""},
      {{"", "", "bytes=1000-", ""}, 206, 1000, 39000, "bytes 1000-39999/40000"},
      {{"", "", "bytes=1000-", tag}, 206, 1000, 39000, "bytes 1000-39999/40000"},
      {{"", "", "bytes=10-19", date}, 206, 10, 10, "bytes 10-19/40000"},
      {{"", "", "bytes=1000-", "\"other\""}, 200, 0, 40000, ""},
      {{"", "", "bytes=1000-", "Sun, 06 Nov 1994 08:49:38 GMT"}, 200, 0, 40000, ""},
      {{"", "", "bytes=40000-", ""}, 416, 0, 0, "bytes */40000"},
      {{"", "", "bytes=40000-", "\"other\""}, 200, 0, 40000, ""},
      {{"", "", "bytes=0-1,3-4", tag}, 200, 0, 40000, ""},
      {{tag, "", "bytes=1000-", tag}, 304, 0, 0, ""},
      {{"", date, "", ""}, 304, 0, 0, ""},
      {{"\"other\"", date, "bytes=1000-", tag}, 206, 1000, 39000, "bytes 1000-39999/40000"},
  };
  for (const auto& c : cases) {
    BodyAnswer answer = DecideAnswer(c.request, tag, mtime, 40000);
    std::string what = c.request.ifNoneMatch + " | " + c.request.ifModifiedSince + " | " + c.request.range +
                       " | " + c.request.ifRange;
    EXPECT_EQ(answer.status, c.status) << what;
    EXPECT_EQ(answer.first, c.first) << what;
    EXPECT_EQ(answer.count, c.count) << what;
    EXPECT_EQ(answer.contentRange, c.contentRange) << what;
  }
}

TEST(FaultAnswers, ReasonsAndPages) {
  EXPECT_STREQ(ReasonPhrase(404), "Not Found");
  EXPECT_STREQ(ReasonPhrase(302), "Found");
  EXPECT_STREQ(ReasonPhrase(206), "Partial Content");
  EXPECT_STREQ(ReasonPhrase(416), "Range Not Satisfiable");
  EXPECT_STREQ(ReasonPhrase(599), "Unknown");
  std::string page = HtmlPage("403 Forbidden", "No.");
  EXPECT_EQ(page.compare(0, 15, "<!DOCTYPE html>"), 0);
  EXPECT_NE(page.find("<title>403 Forbidden</title>"), std::string::npos);
}

}  // namespace
