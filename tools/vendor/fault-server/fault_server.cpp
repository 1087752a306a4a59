// fault-server: answers the requests that nginx hands over because a fault
// file exists for their path, with the misbehaviour that file names.
//
//   fault-server --port N --site SITE --log FILE
//
// Listens on 127.0.0.1 only. nginx tells the host in "X-Zelta-Host" (web or
// download) and passes the request target unchanged. Every answer is bounded
// in time; the server ends on SIGTERM or SIGINT.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "tools/vendor/fault-server/fault_rules.h"

namespace {

volatile sig_atomic_t g_stopSignal = 0;
std::atomic<bool> g_stopping(false);
std::atomic<int> g_active(0);
std::mutex g_logLock;
int g_logFd = -1;
std::string g_site;

const int MaxConnections = 16;
const size_t MaxRequestBytes = 16384;
const int RequestTimeoutMs = 5000;
const int SendTimeoutSec = 10;
// A dropped connection waits this long before its reset, so that the bytes
// sent before it reach the peer first.
const int DropSettleMs = 200;

void OnSignal(int) {
  g_stopSignal = 1;
}

void SleepMs(long ms) {
  struct timespec ts;
  ts.tv_sec = ms / 1000;
  ts.tv_nsec = (ms % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

long NowMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

void LogLine(const std::string& text) {
  char stamp[32];
  time_t now = time(nullptr);
  struct tm tmNow;
  localtime_r(&now, &tmNow);
  strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tmNow);
  std::string line = std::string(stamp) + " " + text + "\n";
  std::lock_guard<std::mutex> hold(g_logLock);
  if (g_logFd >= 0) {
    ssize_t ignored = write(g_logFd, line.data(), line.size());
    (void)ignored;
  }
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool SendText(int fd, const std::string& text) {
  return SendAll(fd, text.data(), text.size());
}

// Reads the request head within the time limit. False on time-out, a closed
// connection or an oversized head.
bool ReadRequestHead(int fd, std::string& head) {
  long deadline = NowMs() + RequestTimeoutMs;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (head.size() > MaxRequestBytes) return false;
    long left = deadline - NowMs();
    if (left <= 0) return false;
    struct pollfd pfd = {fd, POLLIN, 0};
    int ready = poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    head.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

std::string HeaderValue(const std::string& head, const char* name) {
  size_t nameLength = strlen(name);
  size_t pos = head.find("\r\n");
  while (pos != std::string::npos && pos + 2 < head.size()) {
    size_t start = pos + 2;
    size_t end = head.find("\r\n", start);
    if (end == std::string::npos || end == start) break;
    if (end - start > nameLength && head[start + nameLength] == ':' &&
        strncasecmp(head.c_str() + start, name, nameLength) == 0) {
      std::string value = head.substr(start + nameLength + 1, end - start - nameLength - 1);
      size_t b = value.find_first_not_of(" \t");
      size_t e = value.find_last_not_of(" \t");
      return b == std::string::npos ? std::string() : value.substr(b, e - b + 1);
    }
    pos = end;
  }
  return std::string();
}

// Reads a regular file whole. False when it is missing or not a file.
bool ReadRegularFile(const std::string& path, std::string& out) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  out.clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  bool ok = ferror(f) == 0;
  fclose(f);
  return ok;
}

// The first line of the fault file, or false when there is none.
bool ReadFaultLine(const std::string& path, std::string& line) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char buffer[1024];
  size_t n = fread(buffer, 1, sizeof buffer - 1, f);
  fclose(f);
  line.assign(buffer, n);
  size_t end = line.find('\n');
  if (end != std::string::npos) line.erase(end);
  return true;
}

std::string Head(int status, const std::string& headers) {
  return "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n" + headers +
         "Connection: close\r\n\r\n";
}

std::string LengthHeader(size_t length) {
  return "Content-Length: " + std::to_string(length) + "\r\n";
}

struct Outcome {
  int status = 0;
  size_t sent = 0;        // body bytes
  const char* end = "closed";
};

// Answers with a whole HTML page (status pages, redirects, portal pages).
void SendPage(int fd, bool head, int status, const std::string& extraHeaders, const std::string& page,
              Outcome& outcome) {
  outcome.status = status;
  std::string text = Head(status, extraHeaders + "Content-Type: text/html\r\n" + LengthHeader(page.size()));
  if (!head) text += page;
  if (SendText(fd, text)) {
    outcome.sent = head ? 0 : page.size();
  } else {
    outcome.end = "send-failed";
  }
}

void SendBody(int fd, const std::string& body, size_t count, Outcome& outcome) {
  if (SendAll(fd, body.data(), count)) {
    outcome.sent = count;
  } else {
    outcome.end = "send-failed";
  }
}

void Serve(int fd, const std::string& head, const std::string& hostKey, const std::string& path,
           const FaultPlan& plan, Outcome& outcome) {
  bool isHead = head.compare(0, 5, "HEAD ") == 0;
  const std::string octet = "Content-Type: application/octet-stream\r\n";

  switch (plan.kind) {
    case FaultStatus: {
      int status = static_cast<int>(plan.number);
      std::string title = std::to_string(status) + " " + ReasonPhrase(status);
      if (status == 204 || status == 304) {
        outcome.status = status;
        if (!SendText(fd, Head(status, ""))) outcome.end = "send-failed";
        return;
      }
      SendPage(fd, isHead, status, "", HtmlPage(title, "Fault answer of the test server."), outcome);
      return;
    }
    case FaultRedirect:
      SendPage(fd, isHead, 302, "Location: " + plan.url + "\r\n",
               HtmlPage("302 Found", "Moved to " + plan.url + "."), outcome);
      return;
    case FaultZeroLength:
      outcome.status = 200;
      if (!SendText(fd, Head(200, octet + LengthHeader(0)))) outcome.end = "send-failed";
      return;
    case FaultHtml:
      SendPage(fd, isHead, 200, "",
               HtmlPage("Hotspot login", "Please sign in to use this network."), outcome);
      return;
    default:
      break;
  }

  // The rest send the real file, or part of it.
  std::string body;
  if (!ReadRegularFile(g_site + "/" + hostKey + path, body)) {
    SendPage(fd, isHead, 404, "", HtmlPage("404 Not Found", "No such file."), outcome);
    return;
  }
  outcome.status = 200;
  switch (plan.kind) {
    case FaultPlain:
      if (SendText(fd, Head(200, octet + LengthHeader(body.size()))) && !isHead) {
        SendBody(fd, body, body.size(), outcome);
      }
      return;
    case FaultNoLength:
      // No length and no chunks: the end of the body is the end of the connection.
      if (SendText(fd, Head(200, octet)) && !isHead) SendBody(fd, body, body.size(), outcome);
      return;
    case FaultChunked: {
      if (!SendText(fd, Head(200, octet + "Transfer-Encoding: chunked\r\n"))) return;
      if (isHead) return;
      for (size_t pos = 0; pos < body.size(); pos += SlowPieceBytes) {
        size_t n = body.size() - pos < SlowPieceBytes ? body.size() - pos : SlowPieceBytes;
        char size[32];
        snprintf(size, sizeof size, "%zx\r\n", n);
        if (!SendText(fd, size) || !SendAll(fd, body.data() + pos, n) || !SendText(fd, "\r\n")) {
          outcome.end = "send-failed";
          return;
        }
        outcome.sent += n;
      }
      if (!SendText(fd, "0\r\n\r\n")) outcome.end = "send-failed";
      return;
    }
    case FaultShort:
    case FaultDrop: {
      size_t count = static_cast<size_t>(plan.number) < body.size() ? static_cast<size_t>(plan.number)
                                                                     : body.size();
      if (!SendText(fd, Head(200, octet + LengthHeader(body.size())))) return;
      if (!isHead) SendBody(fd, body, count, outcome);
      if (plan.kind == FaultDrop) {
        SleepMs(DropSettleMs);
        struct linger hard = {1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        outcome.end = "reset";
      }
      return;
    }
    case FaultSlow: {
      if (!SendText(fd, Head(200, octet + LengthHeader(body.size())))) return;
      if (isHead) return;
      long waited = 0;
      for (size_t pos = 0; pos < body.size(); pos += SlowPieceBytes) {
        // Past the limit (or when stopping) the rest goes at once.
        if (pos > 0 && waited + plan.number <= SlowTotalLimitMs && !g_stopping) {
          SleepMs(plan.number);
          waited += plan.number;
        }
        size_t n = body.size() - pos < SlowPieceBytes ? body.size() - pos : SlowPieceBytes;
        if (!SendAll(fd, body.data() + pos, n)) {
          outcome.end = "send-failed";
          return;
        }
        outcome.sent += n;
      }
      return;
    }
    default:
      return;
  }
}

void HandleConnection(int fd) {
  struct timeval sendLimit = {SendTimeoutSec, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);

  std::string head;
  if (!ReadRequestHead(fd, head)) {
    LogLine("- - - no complete request head");
    close(fd);
    return;
  }
  std::string requestLine = head.substr(0, head.find("\r\n"));
  size_t sp1 = requestLine.find(' ');
  size_t sp2 = requestLine.rfind(' ');
  std::string method = sp1 == std::string::npos ? std::string() : requestLine.substr(0, sp1);
  std::string target = (sp1 != std::string::npos && sp2 > sp1) ? requestLine.substr(sp1 + 1, sp2 - sp1 - 1)
                                                               : std::string();
  std::string hostKey = HeaderValue(head, "X-Zelta-Host");
  std::string closeLocation = HeaderValue(head, "X-Zelta-Close-Location");
  std::string path;
  Outcome outcome;
  std::string fault = "-";

  if ((method != "GET" && method != "HEAD") || (hostKey != "web" && hostKey != "download") ||
      !DecodeRequestPath(target, path)) {
    SendPage(fd, false, 400, "", HtmlPage("400 Bad Request", "Not a request for the fault server."),
             outcome);
    fault = "bad-request";
  } else {
    FaultPlan plan;
    std::string line;
    std::string problem;
    if (!ReadFaultLine(g_site + "/faults/" + hostKey + path, line)) {
      fault = "none";
      Serve(fd, head, hostKey, path, plan, outcome);
    } else if (!ParseFaultLine(line, plan, problem)) {
      // A broken fault file is a broken test: say so plainly.
      fault = "bad-plan";
      SendPage(fd, false, 501, "", HtmlPage("501 Bad fault file", problem), outcome);
      LogLine("ERROR " + hostKey + " " + path + ": " + problem);
    } else if (plan.kind == FaultNoLength && !closeLocation.empty()) {
      // nginx would put chunks around a body without a length; its other
      // location passes it on as it is, so send nginx there first.
      fault = "no-length (to " + closeLocation + ")";
      outcome.status = 200;
      if (!SendText(fd, Head(200, "X-Accel-Redirect: " + closeLocation + "\r\n" + LengthHeader(0)))) {
        outcome.end = "send-failed";
      }
    } else {
      fault = line.substr(0, line.find_first_of("\r\n"));
      Serve(fd, head, hostKey, path, plan, outcome);
    }
  }
  LogLine((hostKey.empty() ? "-" : hostKey) + " " + (method.empty() ? "-" : method) + " " +
          (target.empty() ? "-" : target) + " fault=" + fault + " status=" + std::to_string(outcome.status) +
          " sent=" + std::to_string(outcome.sent) + " end=" + outcome.end);
  close(fd);
}

int Usage() {
  fprintf(stderr, "usage: fault-server --port N --site SITE --log FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long port = 0;
  std::string logPath;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--port") {
      port = strtol(argv[i + 1], nullptr, 10);
    } else if (option == "--site") {
      g_site = argv[i + 1];
    } else if (option == "--log") {
      logPath = argv[i + 1];
    } else {
      return Usage();
    }
  }
  if (argc % 2 != 1 || port <= 0 || port > 65535 || g_site.empty() || logPath.empty()) return Usage();

  g_logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (g_logFd < 0) {
    fprintf(stderr, "fault-server: %s: %s\n", logPath.c_str(), strerror(errno));
    return 1;
  }

  // The stop signals arrive only while the main thread waits in ppoll.
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  struct sockaddr_in address;
  memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 32) != 0) {
    fprintf(stderr, "fault-server: cannot listen on 127.0.0.1:%ld: %s\n", port, strerror(errno));
    return 1;
  }
  LogLine("listening on 127.0.0.1:" + std::to_string(port) + " for " + g_site);

  while (!g_stopSignal) {
    struct pollfd pfd = {listener, POLLIN, 0};
    struct timespec tick = {0, 200 * 1000000L};
    int ready = ppoll(&pfd, 1, &tick, &waitMask);
    if (ready <= 0) continue;
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    if (g_active >= MaxConnections) {
      // Too busy: a test that needs this many is wrong; do not pile up threads.
      LogLine("- - - refused: too many connections");
      close(fd);
      continue;
    }
    ++g_active;
    std::thread([fd]() {
      HandleConnection(fd);
      --g_active;
    }).detach();
  }

  // Stop: no new connections; running answers finish quickly (slow ones
  // send the rest at once) and are given a few seconds.
  g_stopping = true;
  close(listener);
  long deadline = NowMs() + 3000;
  while (g_active > 0 && NowMs() < deadline) SleepMs(20);
  LogLine(g_active > 0 ? "stopped, answers cut off" : "stopped");
  if (g_active > 0) _exit(0);  // threads still use the globals
  return 0;
}
