#include "tools/vendor/fault-server/fault_rules.h"

#include <cstdlib>
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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

const char* FaultWords() {
  return "status N, redirect URL, no-length, chunked, zero-length, short N, drop N, slow MS, html";
}

bool ParseFaultLine(const std::string& line, FaultPlan& out, std::string& problem) {
  out = FaultPlan();
  std::string text = line;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.erase(end);
  std::vector<std::string> words = Words(text);
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
  if (word == "short" || word == "drop") {
    if (!ParseNumber(arg, 999999999, out.number)) {
      problem = word + " needs a byte count";
      return false;
    }
    out.kind = word == "short" ? FaultShort : FaultDrop;
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
