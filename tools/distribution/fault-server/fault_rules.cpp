#include "tools/distribution/fault-server/fault_rules.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool ParseNumber(const std::string& s, long limit, long& value) {
  if (s.empty() || s.size() > 9) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= limit;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Up to 18 digits (no overflow), nothing else.
bool ParseOffset(const std::string& s, unsigned long long& value) {
  if (s.empty() || s.size() > 18) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return true;
}

// Exactly `width` digits at text[pos].
bool Digits(const std::string& text, size_t pos, size_t width, int& value) {
  value = 0;
  for (size_t i = pos; i < pos + width; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yoe = y - era * 400;
  long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

const char* const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const long MaxAttempt = 1000000000L;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

const char* FaultWords() {
  return "status N, redirect URL, no-length, chunked, zero-length, short N, drop N, slow MS, html, none, "
         "stall, stall-after N, dark, dark-after N, ignore-range, old-drop N, flip N";
}

bool ParseFaultLine(const std::string& line, FaultPlan& out, std::string& problem) {
  out = FaultPlan();
  std::string text = line;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.erase(end);
  std::vector<std::string> words = Words(text);
  out.text = Trim(text);
  if (words.empty()) {
    problem = "empty fault file";
    return false;
  }
  std::string word = Lower(words[0]);
  struct Bare {
    const char* word;
    FaultKind kind;
  };
  static const Bare bare[] = {
      {"no-length", FaultNoLength},
      {"chunked", FaultChunked},
      {"zero-length", FaultZeroLength},
      {"html", FaultHtml},
      {"none", FaultPlain},
      {"stall", FaultStall},
      {"dark", FaultDark},
      {"ignore-range", FaultIgnoreRange},
  };
  for (const Bare& b : bare) {
    if (word != b.word) continue;
    if (words.size() != 1) {
      problem = word + " takes no argument";
      return false;
    }
    out.kind = b.kind;
    return true;
  }
  if (words.size() != 2) {
    problem = "unknown fault '" + text + "' (expected " + FaultWords() + ")";
    return false;
  }
  const std::string& arg = words[1];
  if (word == "status") {
    if (!ParseNumber(arg, 599, out.number) || out.number < 200) {
      problem = "status needs a code from 200 to 599";
      return false;
    }
    out.kind = FaultStatus;
    return true;
  }
  if (word == "redirect") {
    for (char c : arg) {
      if (static_cast<unsigned char>(c) < 0x21 || c == 0x7F) {
        problem = "redirect URL holds a control character";
        return false;
      }
    }
    out.kind = FaultRedirect;
    out.url = arg;
    return true;
  }
  struct Counted {
    const char* word;
    FaultKind kind;
  };
  static const Counted counted[] = {
      {"short", FaultShort},
      {"drop", FaultDrop},
      {"stall-after", FaultStallAfter},
      {"dark-after", FaultDarkAfter},
      {"old-drop", FaultOldDrop},
      {"flip", FaultFlip},
  };
  for (const Counted& c : counted) {
    if (word != c.word) continue;
    if (!ParseNumber(arg, 999999999, out.number)) {
      problem = word + " needs a byte count";
      return false;
    }
    out.kind = c.kind;
    return true;
  }
  if (word == "slow") {
    if (!ParseNumber(arg, SlowMaxPauseMs, out.number)) {
      problem = "slow needs a pause of 0 to 5000 ms";
      return false;
    }
    out.kind = FaultSlow;
    return true;
  }
  problem = "unknown fault '" + text + "' (expected " + FaultWords() + ")";
  return false;
}

bool ParseFaultFile(const std::string& text, std::vector<FaultPlan>& out, std::string& problem) {
  out.clear();
  if (text.size() > MaxFaultFileBytes) {
    problem = "fault file over " + std::to_string(MaxFaultFileBytes) + " bytes";
    return false;
  }
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  std::vector<std::pair<size_t, std::string>> lines;  // line number, text
  for (size_t number = 1; start < text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.find_first_not_of(" \t\r") != std::string::npos) lines.emplace_back(number, line);
    start = end + 1;
  }
  if (lines.empty()) {
    problem = "empty fault file";
    return false;
  }
  for (const auto& line : lines) {
    FaultPlan plan;
    std::string lineProblem;
    if (!ParseFaultLine(line.second, plan, lineProblem)) {
      problem = lines.size() > 1 ? "line " + std::to_string(line.first) + ": " + lineProblem : lineProblem;
      out.clear();
      return false;
    }
    out.push_back(plan);
  }
  return true;
}

size_t PlanIndex(size_t count, long attempt) {
  if (count == 0 || attempt < 1) return 0;
  size_t index = static_cast<size_t>(attempt - 1);
  return index < count ? index : count - 1;
}

long AttemptCounter::Next(const std::string& key, const FaultFileId& id) {
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    if (entries_.size() >= MaxKeys) entries_.clear();
    it = entries_.emplace(key, Entry()).first;
  }
  Entry& entry = it->second;
  if (!(entry.id == id)) {
    entry.id = id;
    entry.count = 0;
  }
  if (entry.count < MaxAttempt) ++entry.count;
  return entry.count;
}

long AttemptCounter::Peek(const std::string& key, const FaultFileId& id) const {
  auto it = entries_.find(key);
  if (it == entries_.end() || !(it->second.id == id)) return 1;
  return it->second.count < MaxAttempt ? it->second.count + 1 : MaxAttempt;
}

void AttemptCounter::Forget(const std::string& key) {
  entries_.erase(key);
}

bool DecodeRequestPath(const std::string& target, std::string& path) {
  std::string raw = target.substr(0, target.find_first_of("?#"));
  std::string decoded;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '%') {
      if (i + 2 >= raw.size()) return false;
      int hi = HexDigit(raw[i + 1]), lo = HexDigit(raw[i + 2]);
      if (hi < 0 || lo < 0) return false;
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    }
    if (c == '\0') return false;
    // As a Windows web server does: a backslash separates folders.
    decoded += c == '\\' ? '/' : c;
  }
  if (decoded.empty() || decoded[0] != '/') return false;
  path.clear();
  size_t start = 1;
  while (start <= decoded.size()) {
    size_t end = decoded.find('/', start);
    if (end == std::string::npos) end = decoded.size();
    std::string part = decoded.substr(start, end - start);
    if (part == "..") return false;
    if (!part.empty() && part != ".") path += "/" + part;
    start = end + 1;
  }
  if (path.empty()) path = "/";
  return true;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 410: return "Gone";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Unknown";
  }
}

std::string HtmlPage(const std::string& title, const std::string& text) {
  return "<!DOCTYPE html>\r\n<html><head><title>" + title + "</title></head>\r\n<body><h1>" + title +
         "</h1>\r\n<p>" + text + "</p></body></html>\r\n";
}

std::string EntityTag(time_t mtime, unsigned long long size) {
  char text[64];
  snprintf(text, sizeof text, "\"%llx-%llx\"", static_cast<unsigned long long>(mtime), size);
  return text;
}

std::string HttpDate(time_t t) {
  struct tm parts;
  if (gmtime_r(&t, &parts) == nullptr) return std::string();
  char text[64];
  snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", DayNames[parts.tm_wday], parts.tm_mday,
           MonthNames[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

bool ParseHttpDate(const std::string& text, time_t& t) {
  // "Sun, 06 Nov 1994 08:49:37 GMT"
  if (text.size() != 29 || text.compare(3, 2, ", ") != 0 || text[7] != ' ' || text[11] != ' ' ||
      text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.compare(25, 4, " GMT") != 0) {
    return false;
  }
  bool dayKnown = false;
  for (const char* name : DayNames) dayKnown = dayKnown || text.compare(0, 3, name) == 0;
  int month = 0;
  for (int i = 0; i < 12; ++i) {
    if (text.compare(8, 3, MonthNames[i]) == 0) month = i + 1;
  }
  int day, year, hour, minute, second;
  if (!dayKnown || month == 0 || !Digits(text, 5, 2, day) || !Digits(text, 12, 4, year) ||
      !Digits(text, 17, 2, hour) || !Digits(text, 20, 2, minute) || !Digits(text, 23, 2, second)) {
    return false;
  }
  static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int lastDay = month == 2 && !leap ? 28 : monthDays[month - 1];
  if (day < 1 || day > lastDay || hour > 23 || minute > 59 || second > 59) return false;
  t = static_cast<time_t>(DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second);
  return true;
}

std::string OldEntityTag(unsigned long long size) {
  char text[64];
  snprintf(text, sizeof text, "\"old-%llx\"", size);
  return text;
}

std::string InvertBytes(const std::string& body) {
  std::string out = body;
  for (char& c : out) c = static_cast<char>(~c);
  return out;
}

bool NotModified(const std::string& ifNoneMatch, const std::string& ifModifiedSince, const std::string& etag,
                 time_t mtime) {
  if (!ifNoneMatch.empty()) {
    size_t start = 0;
    while (start <= ifNoneMatch.size()) {
      size_t end = ifNoneMatch.find(',', start);
      if (end == std::string::npos) end = ifNoneMatch.size();
      std::string tag = Trim(ifNoneMatch.substr(start, end - start));
      if (tag == "*" || tag == etag) return true;
      start = end + 1;
    }
    return false;
  }
  time_t since;
  return !ifModifiedSince.empty() && ParseHttpDate(ifModifiedSince, since) && since >= mtime;
}

bool IfRangeHolds(const std::string& ifRange, const std::string& etag, const std::string& lastModified) {
  if (ifRange.empty()) return true;
  if (ifRange.compare(0, 2, "W/") == 0) return false;
  return ifRange == etag || ifRange == lastModified;
}

RangeResult ParseRange(const std::string& header, unsigned long long size, unsigned long long& first,
                       unsigned long long& last) {
  if (header.size() < 6 || Lower(header.substr(0, 6)) != "bytes=") return RangeIgnored;
  std::string value = header.substr(6);
  size_t dash = value.find('-');
  if (value.find(',') != std::string::npos || dash == std::string::npos) return RangeIgnored;
  std::string from = Trim(value.substr(0, dash)), to = Trim(value.substr(dash + 1));
  unsigned long long a, b = 0;
  if (!ParseOffset(from, a) || (!to.empty() && !ParseOffset(to, b))) return RangeIgnored;
  if (!to.empty() && b < a) return RangeIgnored;
  if (a >= size) return RangeUnsatisfiable;
  first = a;
  last = to.empty() || b >= size ? size - 1 : b;
  return RangeSatisfiable;
}

BodyAnswer DecideAnswer(const RequestConditions& request, const std::string& etag, time_t mtime,
                        unsigned long long size) {
  BodyAnswer answer;
  if (NotModified(request.ifNoneMatch, request.ifModifiedSince, etag, mtime)) {
    answer.status = 304;
    return answer;
  }
  answer.count = size;
  unsigned long long first = 0, last = 0;
  RangeResult range = ParseRange(request.range, size, first, last);
  if (range == RangeIgnored || !IfRangeHolds(request.ifRange, etag, HttpDate(mtime))) return answer;
  if (range == RangeUnsatisfiable) {
    answer.status = 416;
    answer.count = 0;
    answer.contentRange = "bytes */" + std::to_string(size);
    return answer;
  }
  answer.status = 206;
  answer.first = first;
  answer.count = last - first + 1;
  answer.contentRange =
      "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size);
  return answer;
}
