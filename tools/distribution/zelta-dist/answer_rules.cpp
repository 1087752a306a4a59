#include "tools/distribution/zelta-dist/answer_rules.h"

#include <strings.h>

#include <cstdint>
#include <cstring>

#include "web/resume_plan.h"
#include "web/transfer_outcome.h"
#include "web/transfer_text.h"

namespace {

std::string Number(int64_t n) {
  return std::to_string(static_cast<long long>(n));
}

bool IsRedirect(int status) {
  return status >= 300 && status < 400 && status != 304;
}

// Nothing to look at without an answer; a redirect is reported and not
// followed: what lies behind it is not this host's answer.
bool CheckAnswered(const HttpAnswer& answer, bool secureHost, Findings& findings) {
  if (!answer.answered) {
    AddFinding(findings, false, "no answer: " + answer.error);
    return false;
  }
  if (!IsRedirect(answer.status)) return true;
  const char* location = HeaderValue(answer, "Location");
  std::string where = location != nullptr ? location : "nowhere (no Location)";
  std::string text = "redirect (" + Number(answer.status) + ") to " + where;
  if (secureHost && location != nullptr && strncasecmp(location, "http://", 7) == 0) {
    AddFinding(findings, false, text + ": plain http from the HTTPS host is insecure, the installer refuses it");
  } else {
    AddFinding(findings, true, text + ": not followed here, so what it leads to is unchecked");
  }
  return false;
}

// Answers that change the bytes on the way: the installer counts and
// de-interleaves the bytes as stored.
void CheckFraming(const HttpAnswer& answer, Findings& findings) {
  const char* encoding = HeaderValue(answer, "Content-Encoding");
  if (encoding != nullptr && strcasecmp(encoding, "identity") != 0) {
    AddFinding(findings, false,
               std::string("Content-Encoding ") + encoding + ": compressed, the lengths the installer checks break");
  }
  const char* transfer = HeaderValue(answer, "Transfer-Encoding");
  if (transfer != nullptr && strcasestr(transfer, "chunked") != nullptr) {
    AddFinding(findings, false, "Transfer-Encoding chunked: no Content-Length for the installer");
  }
}

// A body that ended early: how much of it came.
void CheckBodyBrokenOff(const HttpAnswer& answer, Findings& findings) {
  if (answer.error.empty()) return;
  int64_t length = 0;
  bool known = AnswerLength(answer, &length);
  AddFinding(findings, false,
             "the body broke off after " + Number(answer.received) + (known ? " of " + Number(length) : "") +
                 " bytes: " + answer.error);
}

// The validators the installer keeps of an answer (unusable ones it drops).
DownloadRecord RecordOf(const HttpAnswer& head) {
  DownloadRecord record = {};
  const char* etag = HeaderValue(head, "ETag");
  const char* date = HeaderValue(head, "Last-Modified");
  if (etag != nullptr && IsSafeHeaderValue(etag, sizeof record.ETag)) {
    strncpy(record.ETag, etag, sizeof record.ETag - 1);
  }
  if (date != nullptr && IsSafeHeaderValue(date, sizeof record.LastModified)) {
    strncpy(record.LastModified, date, sizeof record.LastModified - 1);
  }
  return record;
}

}  // namespace

const char* HeaderValue(const HttpAnswer& answer, const char* name) {
  for (const auto& header : answer.headers) {
    if (strcasecmp(header.first.c_str(), name) == 0) return header.second.c_str();
  }
  return nullptr;
}

bool AnswerLength(const HttpAnswer& answer, int64_t* length) {
  const char* text = HeaderValue(answer, "Content-Length");
  if (text == nullptr || *text == '\0' || strlen(text) > 18) return false;
  int64_t n = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + (*p - '0');
  }
  *length = n;
  return true;
}

void AddFinding(Findings& findings, bool warning, const std::string& text) {
  for (const Finding& f : findings) {
    if (f.text == text) return;
  }
  findings.push_back(Finding{warning, text});
}

void CheckProbe(const HttpAnswer& probe, bool secureHost, Findings& findings) {
  if (!CheckAnswered(probe, secureHost, findings)) return;
  const std::string passOver = ": the installer passes over this host";
  int64_t length = 0;
  if (probe.status != 200) {
    AddFinding(findings, false, "status " + Number(probe.status) + passOver);
  } else if (!AnswerLength(probe, &length) || length == 0) {
    AddFinding(findings, false, "no Content-Length above 0" + passOver);
  } else if (!ProbeMarkersPresent(probe.body.data(), probe.body.size(), nullptr)) {
    AddFinding(findings, false, "the two marker lines are missing" + passOver);
  }
}

bool CheckFileHead(const HttpAnswer& head, bool secureHost, const LengthExpectation& expect, Findings& findings) {
  if (!CheckAnswered(head, secureHost, findings)) return false;
  if (head.status != 200) {
    AddFinding(findings, false, "status " + Number(head.status) + ": the installer needs 200");
    return false;
  }
  if (!head.error.empty()) AddFinding(findings, false, "the answer broke off: " + head.error);
  CheckFraming(head, findings);
  int64_t length = 0;
  if (!AnswerLength(head, &length)) {
    AddFinding(findings, false, "no Content-Length: the installer refuses the file");
  } else if (length == 0) {
    AddFinding(findings, false, "Content-Length 0: the installer refuses the file");
  } else if (length > static_cast<int64_t>(UINT32_MAX)) {
    AddFinding(findings, false, "Content-Length " + Number(length) + ": the installer copies files under 4 GiB only");
  } else {
    if (expect.length >= 0 && length != expect.length) {
      AddFinding(findings, false,
                 "Content-Length " + Number(length) + ", but " + Number(expect.length) + " on " + expect.from);
    }
    if (expect.filtered && length % 2 != 0) {
      AddFinding(findings, false,
                 "Content-Length " + Number(length) + " is odd: ex_/dl_ files are stored two bytes per byte");
    }
  }
  DownloadRecord record = RecordOf(head);
  if (record.ETag[0] == '\0' && record.LastModified[0] == '\0') {
    AddFinding(findings, true, "no ETag or Last-Modified: the installer can neither resume nor reuse the file");
  } else if (RangeValidator(record) == nullptr) {
    AddFinding(findings, true,
               "a weak ETag: the installer cannot resume the file (If-Range needs a strong one, and where a tag "
               "was given its date may not stand in)");
  }
  return true;
}

RangeRequest PlanRangeRequest(const HttpAnswer& head) {
  RangeRequest range;
  int64_t length = 0;
  DownloadRecord record = RecordOf(head);
  const char* validator = RangeValidator(record);
  if (!AnswerLength(head, &length) || length <= 0 || validator == nullptr) return range;
  range.asked = true;
  range.length = length;
  range.offset = length / 2;
  // The installer's own resume headers, one line each.
  char text[512];
  FormatResumeHeaders(text, sizeof text, range.offset, validator);
  for (const char* line = text; *line != '\0';) {
    const char* end = strstr(line, "\r\n");
    if (end == nullptr) end = line + strlen(line);
    if (end > line) range.headers.emplace_back(line, end);
    line = *end == '\0' ? end : end + 2;
  }
  return range;
}

RangeVerdict CheckRangeAnswer(const HttpAnswer& get, const RangeRequest& range, bool secureHost,
                              Findings& findings) {
  if (!CheckAnswered(get, secureHost, findings)) return RangeNotTried;
  CheckBodyBrokenOff(get, findings);
  CheckFraming(get, findings);
  int64_t announced = -1;
  if (!get.stopped && get.error.empty() && AnswerLength(get, &announced) && get.received != announced) {
    AddFinding(findings, false,
               "a body of " + Number(get.received) + " bytes for Content-Length " + Number(announced));
  }
  if (!range.asked) {
    if (get.status != 200) {
      AddFinding(findings, false, "status " + Number(get.status) + " for a GET after 200 for HEAD");
    }
    return RangeNotTried;
  }
  const std::string asked = "Range: bytes=" + Number(range.offset) + "- with If-Range";
  if (get.status == 200) {
    AddFinding(findings, true, "ranges ignored (200 for " + asked + "): an interrupted download starts again");
    return RangeIgnored;
  }
  if (get.status != 206) {
    AddFinding(findings, false, "status " + Number(get.status) + " for " + asked);
    return RangeWrong;
  }
  const char* contentRange = HeaderValue(get, "Content-Range");
  int64_t partLength = -1;
  AnswerLength(get, &partLength);
  if (contentRange != nullptr && RangeAnswerFits(contentRange, partLength, range.offset, range.length)) {
    return RangeHonoured;
  }
  AddFinding(findings, false,
             "206 with Content-Range '" + std::string(contentRange != nullptr ? contentRange : "-") +
                 "' and Content-Length " + (partLength >= 0 ? Number(partLength) : std::string("-")) + " for " +
                 asked + ": the installer needs bytes " + Number(range.offset) + "-" + Number(range.length - 1) +
                 "/" + Number(range.length));
  return RangeWrong;
}

void CheckWholeBody(const HttpAnswer& whole, bool secureHost, Findings& findings) {
  if (!CheckAnswered(whole, secureHost, findings)) return;
  if (whole.status != 200) {
    AddFinding(findings, false, "status " + Number(whole.status) + " for the whole file");
    return;
  }
  CheckFraming(whole, findings);
  CheckBodyBrokenOff(whole, findings);
  int64_t length = -1;
  if (whole.error.empty() && AnswerLength(whole, &length) && whole.received != length) {
    AddFinding(findings, false, "a body of " + Number(whole.received) + " bytes for Content-Length " + Number(length));
  }
}

void CheckChecksumList(const ChecksumListText& list, const std::vector<std::string>& sources, Findings& findings) {
  for (int line : list.badLines) {
    AddFinding(findings, false,
               "line " + Number(line) + " is no '<SHA-256> <length> <source>' line: the installer cannot read the "
               "list and stops at this disc");
  }
  for (const std::string& source : sources) {
    bool listed = false;
    for (const ChecksumEntry& entry : list.entries) listed = listed || entry.source == source;
    if (!listed) AddFinding(findings, false, "no line for " + source + ": the installer stops at that file");
  }
  for (const ChecksumEntry& entry : list.entries) {
    bool fetched = false;
    for (const std::string& source : sources) fetched = fetched || entry.source == source;
    if (!fetched) {
      AddFinding(findings, true, "line " + Number(entry.line) + ": " + entry.source +
                                     " is not downloaded from this disc, the line is never read");
    }
  }
}

void CheckAgainstChecksum(const ChecksumEntry& entry, bool filtered, int64_t storedLength,
                          const std::string& contentSha256, Findings& findings) {
  int64_t listed = static_cast<int64_t>(entry.length) * (filtered ? 2 : 1);
  if (storedLength >= 0 && storedLength != listed) {
    AddFinding(findings, false,
               "Content-Length " + Number(storedLength) + ", but the checksum list gives " + Number(listed) +
                   (filtered ? " (twice its length)" : "") + ": the installer refuses the file");
  }
  if (!contentSha256.empty() && contentSha256 != entry.sha256) {
    AddFinding(findings, false,
               "the content's SHA-256 is " + contentSha256.substr(0, 16) + "..., the checksum list's " +
                   entry.sha256.substr(0, 16) + "...: the installer refuses the file");
  }
}

TextRead TextFromAnswer(const HttpAnswer& answer) {
  TextRead read;
  int64_t length = -1;
  if (!answer.answered) {
    read.problem = "no answer: " + answer.error;
  } else if (IsRedirect(answer.status)) {
    const char* location = HeaderValue(answer, "Location");
    read.problem = "redirect (" + Number(answer.status) + ") to " + (location != nullptr ? location : "nowhere");
  } else if (answer.status != 200) {
    read.problem = "status " + Number(answer.status);
    // Only these are the installer's "not there"; any other status stops it.
    if (answer.status == 404 || answer.status == 410) read.state = TextMissing;
  } else if (!AnswerLength(answer, &length) || length <= 0) {
    read.problem = "no Content-Length above 0";
  } else if (!answer.error.empty() || static_cast<int64_t>(answer.body.size()) != length) {
    read.problem = "the body broke off after " + Number(static_cast<int64_t>(answer.body.size())) + " of " +
                   Number(length) + " bytes";
  } else {
    read.state = TextFound;
    read.text = answer.body;
  }
  return read;
}

const char* ValidatorsColumn(const HttpAnswer& head) {
  if (!head.answered || head.status != 200) return "-";
  DownloadRecord record = RecordOf(head);
  bool tag = record.ETag[0] != '\0', date = record.LastModified[0] != '\0';
  if (tag && date) return "etag+date";
  if (tag) return "etag";
  if (date) return "date";
  return "none";
}

const char* RangeColumn(RangeVerdict verdict) {
  switch (verdict) {
    case RangeHonoured:
      return "yes";
    case RangeIgnored:
      return "ignored";
    case RangeWrong:
      return "wrong";
    default:
      return "-";
  }
}
