#include "web/error_formatter.h"

#include <windows.h>

#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "web/error_text.h"

namespace {

// The word of the error prefix, loaded on first use and kept.
char ErrorWord[12];
bool ErrorWordLoaded = false;

}  // namespace

void ErrorFormatter(char* out, size_t size, const char* code, int messageId, const char* arg) {
  // A load that fails (no module yet) is not kept: the next call tries again.
  if (!ErrorWordLoaded) {
    ErrorWordLoaded = LoadStringA(InstallState.Instance, IDS_ERROR_WORD, ErrorWord, sizeof ErrorWord) > 0;
    if (!ErrorWordLoaded) ErrorWord[0] = '\0';
  }
  char message[256];
  const char* messageText = nullptr;
  if (messageId > 0) {
    if (LoadStringA(InstallState.Instance, static_cast<UINT>(messageId), message, sizeof message) <= 0) {
      message[0] = '\0';
    }
    messageText = message;
  }
  BuildErrorText(out, size, ErrorWord, code, messageText, arg);
}
