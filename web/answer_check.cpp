#include "web/answer_check.h"

#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"

namespace {

bool AnswerStaysSecure(HINTERNET request) {
  if (!InstallState.SecureMode) return true;
  // The URL the answer finally came from.
  char url[TextSize] = {};
  DWORD size = sizeof url;
  if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &size)) return false;
  return _strnicmp(url, "https://", 8) == 0;
}

}  // namespace

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

bool QueryHttpSize(HINTERNET request, DWORD query, int64_t* value) {
  char text[64];
  *value = 0;
  if (!QueryHttpText(request, query, text, sizeof text)) return false;
  *value = TextToInt64(text);
  return true;
}

bool QueryHttpText(HINTERNET request, DWORD query, char* out, DWORD size) {
  if (size == 0) return false;
  memset(out, 0, size);
  DWORD n = size;
  if (!HttpQueryInfoA(request, query, out, &n, nullptr) || n >= size) {
    out[0] = '\0';
    return false;
  }
  out[size - 1] = '\0';
  return true;
}

TransferOutcome CheckAnswer(HINTERNET request, AnswerHead* head) {
  *head = AnswerHead{};
  head->HasLength = QueryHttpSize(request, HTTP_QUERY_CONTENT_LENGTH, &head->Length);
  if (!AnswerStaysSecure(request)) return TransferBadAnswer;
  if (!QueryHttpNumber(request, HTTP_QUERY_STATUS_CODE, &head->Status) || head->Status == 0) {
    return TransferConnectionLost;  // a server that closes without answering leaves no status
  }
  return TransferDone;
}

TransferOutcome CheckWholeFileAnswer(HINTERNET request, int32_t* length, int* status) {
  *length = 0;
  AnswerHead head;
  TransferOutcome outcome = CheckAnswer(request, &head);
  *status = head.Status;
  if (outcome != TransferDone) return outcome;
  if (head.Status != 200) return TransferStatus;
  if (!head.HasLength || head.Length <= 0) return TransferBadAnswer;
  *length = head.Length < INT32_MAX ? static_cast<int32_t>(head.Length) : INT32_MAX;
  return TransferDone;
}
