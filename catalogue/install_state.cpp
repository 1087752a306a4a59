#include "catalogue/install_state.h"

#include <cstring>

#include "common/bounded_text.h"

namespace {

void SetInitialValues(InstallStateRecord& state) {
  state.StartAfterInstall = 1;
  for (int i = 0; i < ComponentCount; ++i) state.ComponentDownload[i] = 1;
  // The caption followed by dots, replaced at start-up from the string table.
  TextCopy(state.Caption, "ZeltaCAD telepit\xE9" "s:.........");
}

// Gives the record its initial values before any code of the program runs.
struct InitialValues {
  InitialValues() { SetInitialValues(InstallState); }
};

}  // namespace

InstallStateRecord InstallState;

static InitialValues initialValues;

void ResetInstallState() {
  memset(&InstallState, 0, sizeof InstallState);
  SetInitialValues(InstallState);
}
