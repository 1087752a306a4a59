#include "web/resume_plan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "catalogue/install_state.h"
#include "web/retry_loop.h"
#include "web/transfer_outcome.h"
#include "web/transfer_text.h"

namespace {

DownloadRecord Record(int64_t length, const char* etag, const char* lastModified) {
  DownloadRecord record = {};
  snprintf(record.Origin, sizeof record.Origin, "%s", "https://www.zeltasoft.example");
  record.Length = length;
  snprintf(record.ETag, sizeof record.ETag, "%s", etag);
  snprintf(record.LastModified, sizeof record.LastModified, "%s", lastModified);
  return record;
}

// A file cut anywhere and resumed where TransferOffset says gives back the
// file, byte for byte, through the same filter the download uses: for a
// filtered file the offset must land on a filler, so that the rest keeps
// the real bytes; for a plain one it is the stored length itself.
TEST(ResumePlan, AResumedFileIsTheOriginalWhereverItWasCut) {
  for (bool filtered : {true, false}) {
    for (size_t realLength : {0, 1, 7, 8}) {
      std::string real;
      for (size_t i = 0; i < realLength; ++i) real += static_cast<char>('A' + i);
      std::string served;  // as the server holds it
      for (char c : real) {
        if (filtered) served += '~';
        served += c;
      }
      if (filtered && realLength % 2 == 1) served += '~';  // an odd length: a last filler with nothing after it
      EXPECT_EQ(StoredLength(filtered, static_cast<int64_t>(served.size())), static_cast<int64_t>(realLength));
      for (size_t cut = 0; cut <= served.size(); ++cut) {
        SCOPED_TRACE(std::to_string(filtered) + " " + std::to_string(served.size()) + " cut at " +
                     std::to_string(cut));
        // The first try brings `cut` bytes; what is stored of them...
        std::string first = served.substr(0, cut);
        std::string stored(first.data(), filtered ? DeinterleaveChunk(&first[0], first.size(), 0) : first.size());
        // ... decides where the second try asks to go on.
        int64_t offset = TransferOffset(filtered, static_cast<int64_t>(stored.size()));
        ASSERT_GE(offset, 0);
        ASSERT_LE(offset, static_cast<int64_t>(served.size()));
        std::string rest = served.substr(static_cast<size_t>(offset));
        size_t kept = filtered ? DeinterleaveChunk(&rest[0], rest.size(), offset) : rest.size();
        EXPECT_EQ(stored + rest.substr(0, kept), real);
      }
    }
  }
}

const char WholeRecord[] =
    "Origin=https://www.zeltasoft.example\r\nLength=1300000\r\nETag=\"5f3a-13d620\"\r\n"
    "Last-Modified=Tue, 08 Dec 2026 10:00:00 GMT\r\nEnd\r\n";

TEST(ResumePlan, RecordRoundTrip) {
  DownloadRecord record = Record(1300000, "\"5f3a-13d620\"", "Tue, 08 Dec 2026 10:00:00 GMT");
  char text[512];
  EXPECT_EQ(FormatDownloadRecord(text, sizeof text, record), strlen(WholeRecord));
  EXPECT_STREQ(text, WholeRecord);
  DownloadRecord back;
  ASSERT_TRUE(ParseDownloadRecord(text, strlen(text), &back));
  EXPECT_STREQ(back.Origin, "https://www.zeltasoft.example");
  EXPECT_EQ(back.Length, 1300000);
  EXPECT_STREQ(back.ETag, record.ETag);
  EXPECT_STREQ(back.LastModified, record.LastModified);
  // A record that does not fit is not written cut: no end mark, no record.
  EXPECT_EQ(FormatDownloadRecord(text, 60, record), 0u);
  EXPECT_STREQ(text, "");

  // LF alone, and a record without validators, are fine.
  const char lf[] = "Origin=http://download.zeltasoft.example\nLength=7\nETag=\nLast-Modified=\nEnd\n";
  ASSERT_TRUE(ParseDownloadRecord(lf, strlen(lf), &back));
  EXPECT_STREQ(back.Origin, "http://download.zeltasoft.example");
  EXPECT_EQ(back.Length, 7);
  EXPECT_STREQ(back.ETag, "");
  EXPECT_EQ(RangeValidator(back), nullptr);
}

// Anything but a whole record of this installer is ignored: the file then
// starts again from zero.
TEST(ResumePlan, RecordsThatAreNotWholeAreRefused) {
  const std::string whole = WholeRecord;
  const std::string origin = "Origin=https://www.zeltasoft.example\r\n";
  const std::string bad[] = {
      "",
      // An older installer's record: no origin, no end mark.
      "Length=1300000\r\nETag=\"5f3a-13d620\"\r\nLast-Modified=Tue, 08 Dec 2026 10:00:00 GMT\r\n",
      // Cut short anywhere: without its end mark, or the mark without its line end.
      whole.substr(0, whole.size() - 5),
      whole.substr(0, whole.size() - 2),
      whole.substr(0, whole.size() - 1),
      whole.substr(0, 40),
      // Something after the end mark: two records run together.
      whole + "x",
      whole + whole,
      // The end mark alone, or without an origin or a usable length.
      "End\r\n",
      "Length=5\r\nEnd\r\n",
      origin + "End\r\n",
      origin + "Length=0\r\nEnd\r\n",
      origin + "Length=12a\r\nEnd\r\n",
      origin + "Length=1234567890123456789\r\nEnd\r\n",
      "Origin=\r\nLength=5\r\nEnd\r\n",
      // Unsafe values, unknown or repeated lines.
      origin + "Length=5\r\nETag=\"a\x01\"\r\nEnd\r\n",
      "Origin=https://a\x7f\r\nLength=5\r\nEnd\r\n",
      origin + "Length=5\r\nSomething=else\r\nEnd\r\n",
      origin + "Length=5\r\nLength=6\r\nEnd\r\n",
      origin + origin + "Length=5\r\nEnd\r\n",
      origin + "Length=5\r\nEnding\r\n",
  };
  DownloadRecord back;
  for (const std::string& text : bad) EXPECT_FALSE(ParseDownloadRecord(text.data(), text.size(), &back)) << text;
}

TEST(ResumePlan, HeaderValuesFromTheServerCannotAddHeaders) {
  EXPECT_TRUE(IsSafeHeaderValue("\"abc\"", 128));
  EXPECT_FALSE(IsSafeHeaderValue("\"abc\"\r\nRange: bytes=0-", 128));
  EXPECT_FALSE(IsSafeHeaderValue("", 128));
  EXPECT_FALSE(IsSafeHeaderValue("\xE9t\xE9", 128));
  EXPECT_FALSE(IsSafeHeaderValue(std::string(128, 'a').c_str(), 128));
}

TEST(ResumePlan, RequestHeaders) {
  char headers[512];
  DownloadRecord strong = Record(10, "\"v1\"", "Tue, 08 Dec 2026 10:00:00 GMT");
  DownloadRecord weak = Record(10, "W/\"v1\"", "Tue, 08 Dec 2026 10:00:00 GMT");
  DownloadRecord weakOnly = Record(10, "W/\"v1\"", "");
  DownloadRecord dateOnly = Record(10, "", "Tue, 08 Dec 2026 10:00:00 GMT");
  EXPECT_STREQ(RangeValidator(strong), "\"v1\"");
  // A date may guard a range only where the server gave no entity tag.
  EXPECT_EQ(RangeValidator(weak), nullptr);
  EXPECT_EQ(RangeValidator(weakOnly), nullptr);
  EXPECT_STREQ(RangeValidator(dateOnly), "Tue, 08 Dec 2026 10:00:00 GMT");

  FormatResumeHeaders(headers, sizeof headers, 300000, RangeValidator(strong));
  EXPECT_STREQ(headers, "Range: bytes=300000-\r\nIf-Range: \"v1\"\r\n");
  FormatRevalidateHeaders(headers, sizeof headers, strong);
  EXPECT_STREQ(headers, "If-None-Match: \"v1\"\r\nIf-Modified-Since: Tue, 08 Dec 2026 10:00:00 GMT\r\n");
  FormatRevalidateHeaders(headers, sizeof headers, Record(10, "", ""));
  EXPECT_STREQ(headers, "");
}

TEST(ResumePlan, ContentRangeMustBeExactlyTheRest) {
  EXPECT_TRUE(RangeAnswerFits("bytes 300000-1299999/1300000", 1000000, 300000, 1300000));
  struct Case {
    const char* range;
    int64_t contentLength;
  } wrong[] = {
      {"bytes 0-1299999/1300000", 1300000},       // from the start
      {"bytes 300000-999999/1300000", 700000},    // not to the end
      {"bytes 300000-1299999/1400000", 1000000},  // another length: another version
      {"bytes 300000-1299999/*", 1000000},
      {"bytes */1300000", 0},
      {"300000-1299999/1300000", 1000000},
      {"bytes 300000-1299999/1300000", 999999},   // a body that is not the range
      {"", 0},
  };
  for (const Case& c : wrong) EXPECT_FALSE(RangeAnswerFits(c.range, c.contentLength, 300000, 1300000)) << c.range;
}

TEST(TransferOutcome, WhatIsTriedAgain) {
  EXPECT_TRUE(IsWorthRetrying(TransferNoAnswer, 0));
  EXPECT_TRUE(IsWorthRetrying(TransferConnectionLost, 0));
  for (int status : {500, 502, 503, 504, 408, 429}) EXPECT_TRUE(IsWorthRetrying(TransferStatus, status)) << status;
  for (int status : {400, 401, 403, 404, 410, 416, 302}) EXPECT_FALSE(IsWorthRetrying(TransferStatus, status)) << status;
  EXPECT_FALSE(IsWorthRetrying(TransferCancelled, 0));
  EXPECT_FALSE(IsWorthRetrying(TransferBadAnswer, 0));
  EXPECT_FALSE(IsWorthRetrying(TransferLocalWrite, 0));
  EXPECT_EQ(RetryPauseMs(1), 1000u);
  EXPECT_EQ(RetryPauseMs(2), 2000u);
  EXPECT_EQ(RetryPauseMs(3), 4000u);
}

TEST(TransferOutcome, TriesFollowProgress) {
  struct Try {
    int64_t stored;  // held after the failed try
    bool again;
    int retry;
  };
  struct Case {
    const char* what;
    int64_t before;
    std::vector<Try> tries;
  } cases[] = {
      {"nothing ever comes: three more tries", 0, {{0, true, 1}, {0, true, 2}, {0, true, 3}, {0, false, 0}}},
      {"bytes from an earlier run are no progress", 500, {{500, true, 1}, {500, true, 2}, {500, true, 3}, {500, false, 0}}},
      {"every try brings more", 0,
       {{100, true, 1}, {200, true, 1}, {300, true, 1}, {400, true, 1}, {500, true, 1}, {600, true, 1}}},
      {"progress renews the tries", 0,
       {{100, true, 1}, {100, true, 2}, {100, true, 3}, {150, true, 1}, {150, true, 2}, {150, true, 3}, {150, false, 0}}},
      // A restart from zero brings nothing new until it passes what was there.
      {"a restart counts from the most ever held", 0,
       {{700, true, 1}, {300, true, 2}, {700, true, 3}, {701, true, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FileTries tries;
    BeginFileTries(&tries, c.before);
    for (size_t i = 0; i < c.tries.size(); ++i) {
      int retry = 0;
      EXPECT_EQ(NextFileTry(&tries, c.tries[i].stored, &retry), c.tries[i].again) << i;
      if (c.tries[i].again) {
        EXPECT_EQ(retry, c.tries[i].retry) << i;
      }
    }
  }
}

// The loop's paths that need no pause: a try that is done, one no retry
// mends, a try that asks to go again at once (with the tries counted anew
// or not), and a cancel, which ends the loop before any pause.
struct ScriptedTries {
  std::vector<TryReport> reports;
  size_t next;
};

TryReport NextScripted(void* work) {
  ScriptedTries& script = *static_cast<ScriptedTries*>(work);
  EXPECT_LT(script.next, script.reports.size()) << "tried once too often";
  if (script.next >= script.reports.size()) return TryReport{TransferBadAnswer, 0, 0, false, false};
  return script.reports[script.next++];
}

TEST(RetryLoop, TriesUntilDoneOrNothingMendsIt) {
  InstallState.CancelRequested = 0;
  struct Case {
    const char* what;
    std::vector<TryReport> reports;
    TransferOutcome expected;
  } cases[] = {
      {"done at once", {{TransferDone, 200, 10, false, false}}, TransferDone},
      {"a 404 is not tried again", {{TransferStatus, 404, 0, false, false}}, TransferStatus},
      {"a full drive is not tried again", {{TransferLocalWrite, 200, 5, false, false}}, TransferLocalWrite},
      {"again at once, then done",
       {{TransferRangeUnusable, 206, 5, true, false}, {TransferBadContent, 200, 0, true, true},
        {TransferDone, 200, 9, false, false}},
       TransferDone},
      {"again at once, then a refusal",
       {{TransferRangeUnusable, 206, 5, true, false}, {TransferStatus, 403, 0, false, false}},
       TransferStatus},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedTries script = {c.reports, 0};
    EXPECT_EQ(RetryUntilDone(NextScripted, &script, 0), c.expected);
    EXPECT_EQ(script.next, c.reports.size());
  }
}

TEST(RetryLoop, ACancelIsNeverTriedAgainNorPausedFor) {
  ScriptedTries script = {{{TransferCancelled, 0, 0, false, false}}, 0};
  InstallState.CancelRequested = 0;
  EXPECT_EQ(RetryUntilDone(NextScripted, &script, 0), TransferCancelled);
  // A failure worth another try while the user has cancelled: no pause.
  script = {{{TransferConnectionLost, 0, 100, false, false}}, 0};
  InstallState.CancelRequested = 1;
  EXPECT_EQ(RetryUntilDone(NextScripted, &script, 0), TransferCancelled);
  EXPECT_FALSE(PauseBeforeRetry(3));
  InstallState.CancelRequested = 0;
  EXPECT_EQ(script.next, 1u);
}

TEST(TransferOutcome, TheFirstFailureIsKeptAndACancelIsNone) {
  ClearDownloadFailure();
  RecordDownloadFailure("Disc_01", "Systems\\bin\\zelta.exe", TransferCancelled, 0);
  EXPECT_FALSE(DownloadFailure.Failed);
  RecordDownloadFailure("Disc_01", "Systems\\bin\\zelta.exe", TransferStatus, 503);
  RecordDownloadFailure("Disc_02", "Fajls_2.ini", TransferNoAnswer, 0);
  ASSERT_TRUE(DownloadFailure.Failed);
  EXPECT_STREQ(DownloadFailure.File, "Disc_01/Systems\\bin\\zelta.exe");
  EXPECT_EQ(DownloadFailure.Status, 503);
  EXPECT_EQ(FailureReasonStringId(DownloadFailure.Outcome, DownloadFailure.Status), IDS_REASON_SERVER_ERROR);
  EXPECT_EQ(FailureReasonStringId(TransferStatus, 404), IDS_REASON_NOT_FOUND);
  EXPECT_EQ(FailureReasonStringId(TransferNoAnswer, 0), IDS_REASON_NO_ANSWER);
  ClearDownloadFailure();
  EXPECT_FALSE(DownloadFailure.Failed);
}

}  // namespace
