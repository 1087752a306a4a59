// The string table as the program sees it: UTF-16 resources loaded as
// Windows-1250 in the Hungarian locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

TEST(Resources, AnsiCodePageIs1250) {
  EXPECT_EQ(GetACP(), 1250u);
}

TEST(Resources, CaptionLoadsAsWindows1250Bytes) {
  char buf[29];
  memset(buf, 'x', sizeof buf);
  int n = LoadStringA(GetModuleHandleA(nullptr), IDS_CAPTION, buf, sizeof buf);
  const char expected[] = "ZeltaCAD telepit\xE9s";  // é is 0xE9 in Windows-1250
  EXPECT_EQ(n, static_cast<int>(sizeof expected - 1));
  EXPECT_EQ(0, memcmp(buf, expected, sizeof expected));
}

TEST(Resources, StringsAreHungarianUtf16) {
  HRSRC block = FindResourceExW(nullptr, MAKEINTRESOURCEW(6),  // RT_STRING
                                MAKEINTRESOURCEW(IDS_CAPTION / 16 + 1),
                                MAKELANGID(LANG_HUNGARIAN, SUBLANG_DEFAULT));
  ASSERT_NE(block, nullptr);
  wchar_t wide[64] = {};
  ASSERT_GT(LoadStringW(GetModuleHandleA(nullptr), IDS_CAPTION, wide, 64), 0);
  EXPECT_EQ(wide[16], L'\x00E9');
}

BOOL CALLBACK NoteLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}

// Every block of the string table is Hungarian (1038) and only Hungarian.
TEST(Resources, StringTableHasOneLanguage) {
  for (UINT id : {IDS_CAPTION, IDS_ERROR_WORD, IDS_OVERWRITE_EXISTING, IDS_WRONG_DISC}) {
    std::vector<WORD> found;
    EnumResourceLanguagesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(id / 16 + 1),
                           NoteLanguage, reinterpret_cast<LONG_PTR>(&found));
    EXPECT_EQ(found, std::vector<WORD>{1038}) << id;
  }
}

// The installer's own manifest: present, runs as the user who starts it,
// and asks for no version 6 common controls.
TEST(Resources, ProgramManifest) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::string program(path, n);
  program = program.substr(0, program.find_last_of('\\') + 1) + "ZeltaWebInstall.exe";
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << program;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  HGLOBAL loaded = LoadResource(module, found);
  std::string manifest(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
  FreeLibrary(module);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  // The manifest names the processor the program was built for.
#ifdef _WIN64
  EXPECT_NE(manifest.find("processorArchitecture=\"amd64\""), std::string::npos);
#else
  EXPECT_NE(manifest.find("processorArchitecture=\"x86\""), std::string::npos);
#endif
  EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_EQ(manifest.find("<dependency"), std::string::npos);
}

TEST(Resources, MessagesKeepTheLettersOnlyWindows1250Has) {
  // ő and ű exist in Windows-1250 (0xF5, 0xFB) but not in Windows-1252.
  char buf[128];
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_OVERWRITE_EXISTING, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Megl\xE9v\xF5 f\xE1jl: %s! Fel\xFCl k\xEDv\xE1nja \xEDrni?");
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_SETUP_CAPTION, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "ZeltaCAD DEMO let\xF6lt\xE9s a WEB-r\xF5l:");
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_WRONG_DISC, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "A(z) %s meghajt\xF3" "ban NEM a -' %s '- jel\xFB flopyt van, vagy m\xE1s hiba! Folytatja?");
}

TEST(Resources, ErrorWord) {
  char buf[12];
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_ERROR_WORD, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Hiba");
}

}  // namespace
