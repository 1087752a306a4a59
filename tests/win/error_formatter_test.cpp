#include "web/error_formatter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "catalogue/install_state.h"
#include "resources/resource_ids.h"

namespace {

TEST(ErrorFormatter, CodeTakesTheWordFromTheStringTable) {
  InstallState.Instance = GetModuleHandleA(nullptr);
  char out[256];
  ErrorFormatter(out, sizeof out, "[RP029]", -1, "Ez a file nem el\xE9rhet\xF5!: https://h/x");
  EXPECT_STREQ(out, "- Hiba: [RP029] :Ez a file nem el\xE9rhet\xF5!: https://h/x");
  ErrorFormatter(out, sizeof out, "[RP029]", 0, nullptr);
  EXPECT_STREQ(out, "- Hiba: [RP029] :");
}

TEST(ErrorFormatter, MessageIdLoadsTheEntry) {
  InstallState.Instance = GetModuleHandleA(nullptr);
  char out[256];
  ErrorFormatter(out, sizeof out, nullptr, IDS_CAPTION, nullptr);
  EXPECT_STREQ(out, "ZeltaCAD telepit\xE9s");
  ErrorFormatter(out, sizeof out, "[X1]", IDS_ERROR_WORD, "ignored");
  EXPECT_STREQ(out, "- Hiba: [X1] :Hiba");
}

// Run alone, by win.error-word (win.windows leaves it out): nothing has
// loaded the word before. A call without the module finds no word and
// keeps none; the next call with the module loads it, and keeps it.
TEST(ErrorFormatterAlone, AFailedLoadIsNotKept) {
  InstallState.Instance = nullptr;
  char out[64];
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  EXPECT_STREQ(out, "- : [A] :x");
  InstallState.Instance = GetModuleHandleA(nullptr);
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  EXPECT_STREQ(out, "- Hiba: [A] :x");
  InstallState.Instance = nullptr;
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  EXPECT_STREQ(out, "- Hiba: [A] :x");
}

// (win.windows runs the tests in a shuffled order: none may lean on another.)
TEST(ErrorFormatter, WordIsKeptOnceLoaded) {
  // After the first call the word no longer depends on the module.
  InstallState.Instance = GetModuleHandleA(nullptr);
  char out[64];
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  InstallState.Instance = nullptr;
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  EXPECT_STREQ(out, "- Hiba: [A] :x");
  InstallState.Instance = GetModuleHandleA(nullptr);
  std::string url(300, 'u');
  char small[20];
  ErrorFormatter(small, sizeof small, "[RP029]", -1, url.c_str());
  EXPECT_EQ(std::string(small), "- Hiba: [RP029] :uu");
}

}  // namespace
