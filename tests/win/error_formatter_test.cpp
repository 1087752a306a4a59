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
// loaded the word before. A load from a module without the word fails (a
// null module would not do: the resource calls take it for the program's
// own) and keeps nothing; the next call, with the program's module, loads
// the word and keeps it.
TEST(ErrorFormatterAlone, AFailedLoadIsNotKept) {
  HMODULE withoutWord = GetModuleHandleA("ntdll.dll");
  ASSERT_NE(withoutWord, nullptr);
  char probe[16];
  ASSERT_EQ(LoadStringA(withoutWord, IDS_ERROR_WORD, probe, sizeof probe), 0);
  InstallState.Instance = withoutWord;
  char out[64];
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  EXPECT_STREQ(out, "- : [A] :x");
  InstallState.Instance = GetModuleHandleA(nullptr);
  ErrorFormatter(out, sizeof out, "[A]", -1, "x");
  EXPECT_STREQ(out, "- Hiba: [A] :x");
  InstallState.Instance = withoutWord;
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
