#include "web/resume_plan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "resources/resource_ids.h"
#include "web/transfer_outcome.h"

namespace {

DownloadRecord Record(int64_t length, const char* etag, const char* lastModified) {
  DownloadRecord record = {};
  record.Length = length;
  snprintf(record.ETag, sizeof record.ETag, "%s", etag);
  snprintf(record.LastModified, sizeof record.LastModified, "%s", lastModified);
  return record;
}

TEST(ResumePlan, OffsetsOfFilteredAndPlainFiles) {
  EXPECT_EQ(StoredLength(false, 1300000), 1300000);
  EXPECT_EQ(StoredLength(true, 80001), 40000);
  EXPECT_EQ(TransferOffset(false, 600000), 600000);
  // 300001 bytes sent of a filtered file keep 150000: the odd byte left
  // over is a filler and is asked for again.
  EXPECT_EQ(TransferOffset(true, 150000), 300000);
}

TEST(ResumePlan, RecordRoundTripAndRefusals) {
  DownloadRecord record = Record(1300000, "\"5f3a-13d620\"", "Tue, 08 Dec 2026 10:00:00 GMT");
  char text[512];
  FormatDownloadRecord(text, sizeof text, record);
  EXPECT_STREQ(text, "Length=1300000\r\nETag=\"5f3a-13d620\"\r\nLast-Modified=Tue, 08 Dec 2026 10:00:00 GMT\r\n");
  DownloadRecord back;
  ASSERT_TRUE(ParseDownloadRecord(text, strlen(text), &back));
  EXPECT_EQ(back.Length, 1300000);
  EXPECT_STREQ(back.ETag, record.ETag);
  EXPECT_STREQ(back.LastModified, record.LastModified);

  const char* bad[] = {
      "",                                      // no length
      "Length=0\r\n",                          // not above 0
      "Length=12a\r\n",                        // not a number
      "Length=1234567890123456789\r\n",        // too long a number
      "Length=5\r\nETag=\"a\x01\"\r\n",        // a control character
      "Length=5\r\nSomething=else\r\n",        // a line nobody wrote
  };
  for (const char* t : bad) EXPECT_FALSE(ParseDownloadRecord(t, strlen(t), &back)) << t;
  // LF alone, and a record without validators, are fine.
  const char lf[] = "Length=7\nETag=\nLast-Modified=\n";
  ASSERT_TRUE(ParseDownloadRecord(lf, strlen(lf), &back));
  EXPECT_EQ(back.Length, 7);
  EXPECT_STREQ(back.ETag, "");
  EXPECT_EQ(RangeValidator(back), nullptr);
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
  EXPECT_STREQ(RangeValidator(strong), "\"v1\"");
  EXPECT_STREQ(RangeValidator(weak), "Tue, 08 Dec 2026 10:00:00 GMT");
  EXPECT_EQ(RangeValidator(weakOnly), nullptr);

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
