#include "web/remote_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "web/error_formatter.h"
#include "web/internet_session.h"
#include "web/status_log.h"

bool QueryHttpNumber(HINTERNET request, DWORD query, int32_t* value) {
  // WinINet leaves the buffer untouched when the header is missing.
  char text[256] = {};
  DWORD size = sizeof text;
  *value = 0;
  if (!HttpQueryInfoA(request, query, text, &size, nullptr)) return false;
  text[sizeof text - 1] = '\0';
  *value = TextToInt32(text);
  return true;
}

bool AnswerStaysSecure(HINTERNET request) {
  if (!InstallState.SecureMode) return true;
  // The URL the answer finally came from; one too long for the buffer is
  // not accepted either.
  char url[TextSize] = {};
  DWORD size = sizeof url;
  if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &size)) return false;
  return _strnicmp(url, "https://", 8) == 0;
}

bool OpenRemoteFile(const char* url, HINTERNET* request, int32_t* length) {
  *length = 0;
  *request = InternetOpenUrlA(SessionHandle(), url, nullptr, 0, RemoteRequestFlags, 0);
  if (*request == nullptr) return true;

  int32_t status = 0;
  bool failed = !AnswerStaysSecure(*request) || !QueryHttpNumber(*request, HTTP_QUERY_STATUS_CODE, &status);
  if (!failed && status != 200) {
    char argument[256];
    TextFormat(argument, sizeof argument, "Ez a file nem elérhető!: %s", url);
    char entry[256];
    ErrorFormatter(entry, sizeof entry, "[RP029]", -1, argument);
    StatusReporter(0, entry);
    failed = true;
  }
  int32_t announced = 0;
  if (!failed) failed = !QueryHttpNumber(*request, HTTP_QUERY_CONTENT_LENGTH, &announced) || announced <= 0;

  if (failed) {
    InternetCloseHandle(*request);
    *request = nullptr;
    return true;
  }
  *length = announced;
  return false;
}

bool ReadRemoteFile(HINTERNET request, char* buffer, int32_t length) {
  DWORD received = 0;
  if (!InternetReadFile(request, buffer, static_cast<DWORD>(length), &received)) return true;
  return received != static_cast<DWORD>(length);
}
