// fault-server: answers the requests that nginx hands over because a fault
// file exists for their path, with the misbehaviour that file names.
//
//   fault-server --port N --site SITE --log FILE [--dark-port M]...
//
// Listens on 127.0.0.1 only. nginx tells the host in "X-Zelta-Host" (web or
// download) and passes the request target unchanged. A dark port accepts
// connections and then never reads, writes or closes them, whatever the
// client does (a server that hangs, also in the TLS handshake, or a path
// that went dark); so do the dark faults after their part of the answer.
// Every answer and every stalled connection is bounded in time; dark ones
// end when the server stops, on SIGTERM or SIGINT.
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
#include <vector>

#include "tools/distribution/fault-server/fault_rules.h"

namespace {

volatile sig_atomic_t g_stopSignal = 0;
std::atomic<bool> g_stopping(false);
std::atomic<int> g_active(0);  // connection threads, held ones included
std::atomic<int> g_held(0);    // of those, held open (stalls, dark ones)
std::mutex g_logLock;
int g_logFd = -1;
std::string g_site;
std::mutex g_attemptLock;
AttemptCounter g_attempts;

// Connections being answered; held ones have their own, larger limit so
// that a test's stalls never crowd out its later requests.
const int MaxConnections = 16;
const int MaxHeld = 64;
const int MaxDarkPorts = 8;
// A stalled connection ends when the peer closes it, the server stops, or
// after this long; a dark one only when the server stops. The stop is
// noticed within a tick.
const long HoldLimitMs = 150000;
const long HoldTickMs = 100;
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

// Reads a regular file whole, with its time. False when it is missing or
// not a file.
// (Non-blocking open: a FIFO in the site must not hang the answer.)
bool ReadRegularFile(const std::string& path, std::string& out, time_t& mtime) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) mtime = st.st_mtime;
  out.clear();
  char buffer[65536];
  while (ok) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    out.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return ok;
}

// The fault file (at most one byte over the limit, so that the parser can
// tell) and what identifies this version of it. False when there is none.
bool ReadFaultFile(const std::string& path, std::string& text, FaultFileId& id) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = static_cast<unsigned long long>(st.st_size);
  id.mtimeNs = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  id.ctimeNs = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
  text.clear();
  char buffer[MaxFaultFileBytes + 1];
  while (text.size() <= MaxFaultFileBytes) {
    ssize_t n = read(fd, buffer, sizeof buffer - text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
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
  long heldMs = -1;       // how long the connection was held, when it was
  bool dark = false;      // the connection is to go dark now
};

// Keeps a stalled answer's connection open until the peer closes it, the
// server stops or HoldLimitMs pass; what comes is read and thrown away. A
// named hold is logged as it begins, so that a test can act while the
// client waits.
void Hold(int fd, Outcome& outcome, const std::string& name = std::string()) {
  if (++g_held > MaxHeld) {
    --g_held;
    outcome.end = "not-held";
    return;
  }
  if (!name.empty()) LogLine(name + " held");
  long start = NowMs();
  outcome.end = "hold-limit";
  char buffer[4096];
  for (;;) {
    if (g_stopping) {
      outcome.end = "server-stopped";
      break;
    }
    long left = start + HoldLimitMs - NowMs();
    if (left <= 0) break;
    struct pollfd pfd = {fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
    int ready = poll(&pfd, 1, static_cast<int>(left < HoldTickMs ? left : HoldTickMs));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      outcome.end = "poll-failed";
      break;
    }
    if (ready == 0) continue;
    if (pfd.revents & POLLIN) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n > 0 || (n < 0 && errno == EINTR)) continue;
      outcome.end = "peer-closed";
      break;
    }
    if (pfd.revents & (POLLRDHUP | POLLHUP | POLLERR)) {
      outcome.end = "peer-closed";
      break;
    }
  }
  outcome.heldMs = NowMs() - start;
  --g_held;
}

// Keeps a dark connection as it is until the server stops: nothing is read,
// written or closed, and nothing the peer does (a shutdown, a close) is
// looked at. Returns how long it was held. Beyond MaxHeld the connection
// cannot be kept and is closed at once: the log says so, and a test that
// meets it is wrong.
long HoldDark() {
  if (++g_held > MaxHeld) {
    --g_held;
    return -1;
  }
  long start = NowMs();
  while (!g_stopping) SleepMs(HoldTickMs);
  --g_held;
  return NowMs() - start;
}

// The end of a dark connection: when the server stopped, or at once when
// there were too many to keep.
void LogDarkEnd(const std::string& what, long heldMs) {
  LogLine(what + (heldMs < 0 ? " dark refused: too many held connections"
                             : " dark for " + std::to_string(heldMs) + " ms (server-stopped)"));
}

// Ends the connection with a reset, after a pause that lets the bytes sent
// before it reach the peer first.
void Reset(int fd, Outcome& outcome) {
  SleepMs(DropSettleMs);
  struct linger hard = {1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  outcome.end = "reset";
}

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

void SendBody(int fd, const char* data, size_t count, Outcome& outcome) {
  if (SendAll(fd, data, count)) {
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
    case FaultStall:
      Hold(fd, outcome, hostKey + " " + path);
      return;
    case FaultDark:
      outcome.dark = true;
      return;
    default:
      break;
  }

  // The rest send the real file, or part of it.
  std::string body;
  time_t mtime = 0;
  if (!ReadRegularFile(g_site + "/" + hostKey + path, body, mtime)) {
    SendPage(fd, isHead, 404, "", HtmlPage("404 Not Found", "No such file."), outcome);
    return;
  }
  outcome.status = 200;
  switch (plan.kind) {
    case FaultNoLength:
      // No length and no chunks: the end of the body is the end of the connection.
      if (SendText(fd, Head(200, octet)) && !isHead) SendBody(fd, body.data(), body.size(), outcome);
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
    default:
      break;
  }

  // The rest answer as a good server would (validators, 304, ranges), unless
  // the fault says otherwise, and then spoil the body.
  std::string etag = EntityTag(mtime, body.size());
  std::string lastModified = HttpDate(mtime);
  BodyAnswer answer;
  answer.count = body.size();
  if (plan.kind == FaultOldDrop) {
    body = InvertBytes(body);
    etag = OldEntityTag(body.size());
    lastModified = HttpDate(mtime - OldVersionAgeSec);
  } else if (plan.kind != FaultIgnoreRange) {
    RequestConditions request;
    request.ifNoneMatch = HeaderValue(head, "If-None-Match");
    request.ifModifiedSince = HeaderValue(head, "If-Modified-Since");
    request.range = HeaderValue(head, "Range");
    request.ifRange = HeaderValue(head, "If-Range");
    answer = DecideAnswer(request, etag, mtime, body.size());
  }
  std::string validators =
      "Last-Modified: " + lastModified + "\r\nETag: " + etag + "\r\nAccept-Ranges: bytes\r\n";
  outcome.status = answer.status;
  // 304 and 416 carry no part of the file: nothing to spoil.
  if (answer.status == 304) {
    if (!SendText(fd, Head(304, validators))) outcome.end = "send-failed";
    return;
  }
  if (answer.status == 416) {
    SendPage(fd, isHead, 416, "Content-Range: " + answer.contentRange + "\r\n",
             HtmlPage("416 Range Not Satisfiable", "The range starts past the end of the file."), outcome);
    return;
  }
  std::string headers = octet + LengthHeader(answer.count) + validators;
  if (answer.status == 206) headers += "Content-Range: " + answer.contentRange + "\r\n";
  if (!SendText(fd, Head(answer.status, headers))) {
    outcome.end = "send-failed";
    return;
  }
  const char* part = body.data() + answer.first;
  size_t partSize = answer.count;
  size_t cut = static_cast<size_t>(plan.number) < partSize ? static_cast<size_t>(plan.number) : partSize;
  switch (plan.kind) {
    case FaultShort:
      if (!isHead) SendBody(fd, part, cut, outcome);
      return;
    case FaultDrop:
    case FaultOldDrop:
      if (!isHead) SendBody(fd, part, cut, outcome);
      Reset(fd, outcome);
      return;
    case FaultStallAfter:
      if (!isHead) SendBody(fd, part, cut, outcome);
      if (strcmp(outcome.end, "closed") == 0) Hold(fd, outcome, hostKey + " " + path);
      return;
    case FaultDarkAfter:
      if (!isHead) SendBody(fd, part, cut, outcome);
      outcome.dark = strcmp(outcome.end, "closed") == 0;
      return;
    case FaultFlip: {
      // One byte of the file changed on the way, the length kept: only
      // a check of the content can tell.
      if (isHead) return;
      std::string sent(part, partSize);
      unsigned long long at = static_cast<unsigned long long>(plan.number);
      if (at >= answer.first && at < answer.first + partSize) sent[at - answer.first] ^= 0x01;
      SendBody(fd, sent.data(), sent.size(), outcome);
      return;
    }
    case FaultSlow: {
      if (isHead) return;
      long waited = 0;
      for (size_t pos = 0; pos < partSize; pos += SlowPieceBytes) {
        // Past the limit (or when stopping) the rest goes at once.
        if (pos > 0 && waited + plan.number <= SlowTotalLimitMs && !g_stopping) {
          SleepMs(plan.number);
          waited += plan.number;
        }
        size_t n = partSize - pos < SlowPieceBytes ? partSize - pos : SlowPieceBytes;
        if (!SendAll(fd, part + pos, n)) {
          outcome.end = "send-failed";
          return;
        }
        outcome.sent += n;
      }
      return;
    }
    default:  // none, ignore-range
      if (!isHead) SendBody(fd, part, partSize, outcome);
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
  // Set on nginx's first pass only (see below).
  std::string answerLocation = HeaderValue(head, "X-Zelta-Answer-Location");
  std::string closeLocation = HeaderValue(head, "X-Zelta-Close-Location");
  std::string darkLocation = HeaderValue(head, "X-Zelta-Dark-Location");
  std::string path;
  Outcome outcome;
  std::string fault = "-";
  std::string attempt = "-";

  if ((method != "GET" && method != "HEAD") || (hostKey != "web" && hostKey != "download") ||
      !DecodeRequestPath(target, path)) {
    SendPage(fd, false, 400, "", HtmlPage("400 Bad Request", "Not a request for the fault server."),
             outcome);
    fault = "bad-request";
  } else {
    std::string key = hostKey + path;
    std::string text;
    std::string problem;
    FaultFileId id;
    std::vector<FaultPlan> plans;
    if (!ReadFaultFile(g_site + "/faults/" + key, text, id)) {
      // Gone since nginx looked (or asked directly): its next version
      // starts again at the first line.
      {
        std::lock_guard<std::mutex> hold(g_attemptLock);
        g_attempts.Forget(key);
      }
      fault = "(no fault file)";
      Serve(fd, head, hostKey, path, FaultPlan(), outcome);
    } else if (!ParseFaultFile(text, plans, problem)) {
      // A broken fault file is a broken test: say so plainly.
      fault = "bad-plan";
      SendPage(fd, false, 501, "", HtmlPage("501 Bad fault file", problem), outcome);
      LogLine("ERROR " + hostKey + " " + path + ": " + problem);
    } else {
      // nginx hands a fault over twice. On the first pass nothing is
      // answered: the fault server names the location for the second,
      // where nginx then behaves as the fault needs. Answers go to the
      // answer location; one without a length to a location where nginx
      // puts no chunks around it (the end of the body is the end of the
      // connection); one that goes dark to a location where nginx keeps
      // the client's connection as it is, whatever the client does (the
      // others end it when the client shuts its end, so the first pass,
      // made for every fault, keeps it too). The first pass is no attempt.
      bool firstPass = !answerLocation.empty();
      FaultPlan plan;
      long number;
      std::string location;
      {
        std::lock_guard<std::mutex> hold(g_attemptLock);
        number = g_attempts.Peek(key, id);
        plan = plans[PlanIndex(plans.size(), number)];
        if (firstPass) {
          location = plan.kind == FaultNoLength ? closeLocation
                     : GoesDark(plan.kind)      ? darkLocation
                                                : answerLocation;
        } else {
          number = g_attempts.Next(key, id);
        }
      }
      attempt = std::to_string(number);
      if (firstPass) {
        fault = plan.text + " (to " + location + ")";
        outcome.status = 200;
        if (!SendText(fd, Head(200, "X-Accel-Redirect: " + location + "\r\n" + LengthHeader(0)))) {
          outcome.end = "send-failed";
        }
      } else {
        fault = plan.text;
        Serve(fd, head, hostKey, path, plan, outcome);
      }
    }
  }
  std::string line = (hostKey.empty() ? "-" : hostKey) + " " + (method.empty() ? "-" : method) + " " +
                     (target.empty() ? "-" : target) + " fault=" + fault + " attempt=" + attempt;
  if (outcome.dark) outcome.end = "dark";
  LogLine(line + " status=" + std::to_string(outcome.status) + " sent=" + std::to_string(outcome.sent) +
          " end=" + outcome.end + (outcome.heldMs >= 0 ? " held=" + std::to_string(outcome.heldMs) : ""));
  if (outcome.dark) LogDarkEnd(line, HoldDark());
  close(fd);
}

// A dark port's connection: accepted, then never read, written or closed
// until the server stops.
void HoldDarkPort(int fd, long port) {
  std::string what = "dark " + std::to_string(port);
  LogLine(what + " accepted");
  LogDarkEnd(what, HoldDark());
  close(fd);
}

int Listen(long port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  struct sockaddr_in address;
  memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 32) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int Usage() {
  fprintf(stderr, "usage: fault-server --port N --site SITE --log FILE [--dark-port M]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long port = 0;
  std::vector<long> darkPorts;
  std::string logPath;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--port") {
      port = strtol(argv[i + 1], nullptr, 10);
    } else if (option == "--dark-port") {
      long dark = strtol(argv[i + 1], nullptr, 10);
      if (dark <= 0 || dark > 65535 || darkPorts.size() >= MaxDarkPorts) return Usage();
      darkPorts.push_back(dark);
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

  // listeners[0] answers; the rest are dark.
  std::vector<struct pollfd> listeners;
  std::vector<long> ports(1, port);
  ports.insert(ports.end(), darkPorts.begin(), darkPorts.end());
  for (long p : ports) {
    int fd = Listen(p);
    if (fd < 0) {
      fprintf(stderr, "fault-server: cannot listen on 127.0.0.1:%ld: %s\n", p, strerror(errno));
      return 1;
    }
    listeners.push_back({fd, POLLIN, 0});
  }
  LogLine("listening on 127.0.0.1:" + std::to_string(port) + " for " + g_site);
  for (long p : darkPorts) LogLine("dark " + std::to_string(p) + " listening");

  while (!g_stopSignal) {
    struct timespec tick = {0, 200 * 1000000L};
    int ready = ppoll(listeners.data(), listeners.size(), &tick, &waitMask);
    if (ready <= 0) continue;
    for (size_t i = 0; i < listeners.size(); ++i) {
      if (!(listeners[i].revents & POLLIN)) continue;
      int fd = accept4(listeners[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      // Too busy: a test that needs this many is wrong; do not pile up threads.
      bool busy = i == 0 ? g_active - g_held >= MaxConnections : g_held >= MaxHeld;
      if (busy || g_active >= MaxConnections + MaxHeld) {
        LogLine(i == 0 ? "- - - refused: too many connections"
                       : "dark " + std::to_string(ports[i]) + " refused: too many held connections");
        close(fd);
        continue;
      }
      ++g_active;
      long darkPort = i == 0 ? 0 : ports[i];
      std::thread([fd, darkPort]() {
        if (darkPort == 0) {
          HandleConnection(fd);
        } else {
          HoldDarkPort(fd, darkPort);
        }
        --g_active;
      }).detach();
    }
  }

  // Stop: no new connections; running answers finish quickly (slow ones
  // send the rest at once, held and dark ones close) and are given a few
  // seconds.
  g_stopping = true;
  for (const struct pollfd& l : listeners) close(l.fd);
  long deadline = NowMs() + 3000;
  while (g_active > 0 && NowMs() < deadline) SleepMs(20);
  LogLine(g_active > 0 ? "stopped, answers cut off" : "stopped");
  if (g_active > 0) _exit(0);  // threads still use the globals
  return 0;
}
