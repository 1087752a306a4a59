#include "tools/distribution/zelta-dist/http_batch.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/distribution/zelta-dist/distribution.h"
#include "tools/distribution/zelta-dist/file_sha256.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

// The installer's user agent: some servers and CDNs answer by it.
const long ConnectSeconds = 10;
// A body that delivers less than a byte a second for this long has stalled.
const long StallSeconds = 30;
// Kept bodies are catalogue texts; anything larger is not one.
const size_t KeptBodyLimit = 16u << 20;

struct Transfer {
  const HttpRequest* request = nullptr;
  HttpAnswer* answer = nullptr;
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  Sha256 hash;
  Sha256 content;  // as the installer keeps it
  bool tooLarge = false;
  int blockStatus = 0;
  char errorText[CURL_ERROR_SIZE] = "";
};

std::string Trim(const char* begin, const char* end) {
  while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
  while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r' || end[-1] == '\n')) --end;
  return std::string(begin, end);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  Transfer* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  const char* end = data + n;
  if (n >= 5 && memcmp(data, "HTTP/", 5) == 0) {
    // A new header block (after a 100 Continue, say): only the last counts.
    const char* space = static_cast<const char*>(memchr(data, ' ', n));
    t->blockStatus = space != nullptr ? atoi(std::string(space + 1, end).c_str()) : 0;
    t->answer->answered = true;
    t->answer->status = t->blockStatus;
    t->answer->headers.clear();
    return n;
  }
  std::string line = Trim(data, end);
  if (line.empty()) {
    // The end of a final answer's headers: a headers-only GET reads on
    // only for a small body.
    int64_t length = 0;
    if (t->request->kind == HttpHeaders && t->blockStatus >= 200 &&
        !(AnswerLength(*t->answer, &length) && length <= t->request->readLimit)) {
      t->answer->stopped = true;
      return 0;
    }
    return n;
  }
  size_t colon = line.find(':');
  if (colon != std::string::npos) {
    t->answer->headers.emplace_back(Trim(line.data(), line.data() + colon),
                                    Trim(line.data() + colon + 1, line.data() + line.size()));
  }
  return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  Transfer* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t->request->kind == HttpHead) return 0;
  if (t->request->kind == HttpHeaders && t->answer->received + static_cast<int64_t>(n) > t->request->readLimit) {
    t->answer->stopped = true;  // longer than the limit (no length was announced)
    return 0;
  }
  if (t->request->keepBody) {
    if (t->answer->body.size() + n > KeptBodyLimit) {
      t->tooLarge = true;
      return 0;
    }
    t->answer->body.append(data, n);
  }
  Sha256Add(t->hash, data, n);
  if (t->request->interleaved) {
    // The real bytes stand at the odd offsets of the whole body.
    std::vector<char> kept(data, data + n);
    Sha256Add(t->content, kept.data(), DeinterleaveChunk(kept.data(), n, t->answer->received));
  }
  t->answer->received += static_cast<int64_t>(n);
  return n;
}

bool Start(Transfer& t, CURLM* multi, CURLSH* share, const std::string& caBundle) {
  t.easy = curl_easy_init();
  if (t.easy == nullptr) return false;
  const HttpRequest& r = *t.request;
  Sha256Begin(t.hash);
  Sha256Begin(t.content);
  for (const std::string& header : r.headers) t.headers = curl_slist_append(t.headers, header.c_str());
  curl_easy_setopt(t.easy, CURLOPT_URL, r.url.c_str());
  curl_easy_setopt(t.easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(t.easy, CURLOPT_USERAGENT, InstallerUserAgent);
  curl_easy_setopt(t.easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  // Direct, as the installer connects: no proxy from the environment.
  curl_easy_setopt(t.easy, CURLOPT_PROXY, "");
  curl_easy_setopt(t.easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(t.easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(t.easy, CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
  curl_easy_setopt(t.easy, CURLOPT_TIMEOUT, r.totalSeconds);
  curl_easy_setopt(t.easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(t.easy, CURLOPT_LOW_SPEED_TIME, StallSeconds);
  curl_easy_setopt(t.easy, CURLOPT_ERRORBUFFER, t.errorText);
  curl_easy_setopt(t.easy, CURLOPT_HTTPHEADER, t.headers);
  curl_easy_setopt(t.easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(t.easy, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(t.easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(t.easy, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(t.easy, CURLOPT_PRIVATE, &t);
  curl_easy_setopt(t.easy, CURLOPT_SHARE, share);
  if (r.kind == HttpHead) curl_easy_setopt(t.easy, CURLOPT_NOBODY, 1L);
  if (!caBundle.empty()) {
    curl_blob blob = {const_cast<char*>(caBundle.data()), caBundle.size(), CURL_BLOB_NOCOPY};
    curl_easy_setopt(t.easy, CURLOPT_CAINFO_BLOB, &blob);
  }
  return curl_multi_add_handle(multi, t.easy) == CURLM_OK;
}

void Finish(Transfer& t, CURLcode code) {
  HttpAnswer& a = *t.answer;
  long status = 0;
  if (curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status != 0) {
    a.status = static_cast<int>(status);
  }
  if (t.tooLarge) {
    a.error = "more than " + std::to_string(KeptBodyLimit) + " bytes, too large for a catalogue text";
  } else if (code != CURLE_OK && !(a.stopped && code == CURLE_WRITE_ERROR)) {
    a.error = t.errorText[0] != '\0' ? t.errorText : curl_easy_strerror(code);
  }
  if (t.request->kind == HttpWhole) {
    a.sha256 = Sha256Hex(t.hash);
    a.contentSha256 = t.request->interleaved ? Sha256Hex(t.content) : a.sha256;
  }
}

void Release(Transfer& t, CURLM* multi) {
  if (t.easy != nullptr) {
    curl_multi_remove_handle(multi, t.easy);
    curl_easy_cleanup(t.easy);
    t.easy = nullptr;
  }
  curl_slist_free_all(t.headers);
  t.headers = nullptr;
}

void ShowProgress(bool terminal, size_t done, size_t total) {
  if (!terminal) return;
  if (done < total) {
    fprintf(stderr, "\rcheck-server: %zu/%zu requests", done, total);
  } else {
    fputs("\r\033[K", stderr);
  }
  fflush(stderr);
}

}  // namespace

struct HttpSession {
  CURLM* multi;
  CURLSH* share;
  std::string caBundle;  // the system's CAs and the caller's one; empty: the system's alone
};

namespace {

// The system's CA bundle as libcurl finds it by default, with the PEM text
// of `caFile` after it.
bool BuildCaBundle(const std::string& caFile, std::string& bundle) {
  std::string extra, problem;
  if (!ReadWholeFile(caFile, extra, problem) || extra.find("-----BEGIN CERTIFICATE-----") == std::string::npos) {
    return false;
  }
  const char* system = "/etc/ssl/certs/ca-certificates.crt";
  CURL* probe = curl_easy_init();
  char* found = nullptr;
  if (probe != nullptr && curl_easy_getinfo(probe, CURLINFO_CAINFO, &found) == CURLE_OK && found != nullptr) {
    system = found;
  }
  std::string systemCas;
  ReadWholeFile(system, systemCas, problem);  // none at all: the caller's CA alone
  if (probe != nullptr) curl_easy_cleanup(probe);
  bundle = systemCas + "\n" + extra;
  return true;
}

}  // namespace

HttpSession* OpenHttpSession(const std::string& caFile) {
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
  HttpSession* session = new HttpSession{curl_multi_init(), curl_share_init(), ""};
  if (session->multi == nullptr || session->share == nullptr ||
      (!caFile.empty() && !BuildCaBundle(caFile, session->caBundle))) {
    CloseHttpSession(session);
    return nullptr;
  }
  // One thread only: the share needs no locks.
  curl_share_setopt(session->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  curl_share_setopt(session->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  return session;
}

void CloseHttpSession(HttpSession* session) {
  if (session == nullptr) return;
  if (session->multi != nullptr) curl_multi_cleanup(session->multi);
  if (session->share != nullptr) curl_share_cleanup(session->share);
  delete session;
  curl_global_cleanup();
}

void RunHttpBatch(HttpSession* session, const std::vector<HttpRequest>& requests, std::vector<HttpAnswer>& answers,
                  int jobs) {
  answers.assign(requests.size(), HttpAnswer());
  if (requests.empty()) return;
  if (jobs < 1) jobs = 1;
  if (jobs > HttpJobsMax) jobs = HttpJobsMax;
  CURLM* multi = session->multi;
  bool terminal = isatty(STDERR_FILENO) != 0;
  std::vector<Transfer> transfers(requests.size());
  size_t next = 0, running = 0, done = 0;
  ShowProgress(terminal, 0, requests.size());
  // Each transfer ends by itself (its time limit at the latest), so the
  // loop does too.
  while (done < requests.size()) {
    while (running < static_cast<size_t>(jobs) && next < requests.size()) {
      Transfer& t = transfers[next];
      t.request = &requests[next];
      t.answer = &answers[next];
      ++next;
      if (Start(t, multi, session->share, session->caBundle)) {
        ++running;
      } else {
        t.answer->error = "the request could not be set up";
        Release(t, multi);
        ++done;
      }
    }
    int active = 0;
    curl_multi_perform(multi, &active);
    int left = 0;
    bool finished = false;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      char* owner = nullptr;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
      Transfer* t = reinterpret_cast<Transfer*>(owner);
      if (t == nullptr) continue;
      Finish(*t, message->data.result);
      Release(*t, multi);
      --running;
      ++done;
      finished = true;
      ShowProgress(terminal, done, requests.size());
    }
    // A finished transfer makes room for the next one: start it first.
    if (!finished && done < requests.size()) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  ShowProgress(terminal, requests.size(), requests.size());
}
