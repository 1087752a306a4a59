#include "install/font_installation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"

namespace {

const char FontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// Wine's own fonts (and DejaVu) are known to Wine from the start and would
// prove nothing. The tests make fonts of their own: Wine's Webdings (Debian's
// fonts-wine, copied into the prefix's Fonts folder) with new names in its
// name table.
const char SourceFont[] = "webdings.ttf";

uint16_t Get16(const std::string& b, size_t at) {
  return static_cast<uint16_t>((static_cast<unsigned char>(b[at]) << 8) |
                               static_cast<unsigned char>(b[at + 1]));
}
uint32_t Get32(const std::string& b, size_t at) {
  return (static_cast<uint32_t>(Get16(b, at)) << 16) | Get16(b, at + 2);
}
void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v >> 8);
  b[at + 1] = static_cast<char>(v & 0xFF);
}

// Rewrites the family, full and PostScript names (name ids 1, 4, 6 and 16)
// to family, in place: each record keeps its storage and gets the new
// length. Returns the number of records changed (0 when a name is shorter
// than family).
int RenameFamily(std::string& font, const std::string& family) {
  int changed = 0;
  const uint16_t tables = Get16(font, 4);
  for (uint16_t t = 0; t < tables; ++t) {
    const size_t entry = 12 + 16u * t;
    if (font.compare(entry, 4, "name") != 0) continue;
    const size_t table = Get32(font, entry + 8);
    const uint16_t count = Get16(font, table + 2);
    const size_t strings = table + Get16(font, table + 4);
    for (uint16_t r = 0; r < count; ++r) {
      const size_t record = table + 6 + 12u * r;
      const uint16_t platform = Get16(font, record);
      const uint16_t nameId = Get16(font, record + 6);
      const size_t length = Get16(font, record + 8);
      const size_t at = strings + Get16(font, record + 10);
      const bool wide = platform == 0 || platform == 3;
      if (nameId != 1 && nameId != 4 && nameId != 6 && nameId != 16) continue;
      if (family.size() * (wide ? 2 : 1) > length) return 0;
      for (size_t i = 0; i < family.size(); ++i) {
        if (wide) {
          font[at + 2 * i] = '\0';
          font[at + 2 * i + 1] = family[i];
        } else {
          font[at + i] = family[i];
        }
      }
      Put16(font, record + 8, static_cast<uint16_t>(family.size() * (wide ? 2 : 1)));
      ++changed;
    }
  }
  return changed;
}

int CALLBACK CountFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  ++*reinterpret_cast<int*>(found);
  return 1;
}

// Whether the font API knows the family (in this process).
bool FamilyAvailable(const std::string& family) {
  HDC dc = GetDC(nullptr);
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  TextCopy(wanted.lfFaceName, LF_FACESIZE, family.c_str());
  int found = 0;
  EnumFontFamiliesExA(dc, &wanted, CountFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found > 0;
}

// A top-level window of the test that counts WM_FONTCHANGE.
int fontChanges = 0;

LRESULT CALLBACK WatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_FONTCHANGE) ++fontChanges;
  return DefWindowProcA(window, message, wParam, lParam);
}

class FontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    TextCopy(InstallState.WindowsDirectory, WindowsDirectoryOfProcess().c_str());
    fonts_ = std::string(InstallState.WindowsDirectory) + "\\Fonts\\";
    ASSERT_TRUE(ReadLocalFile(fonts_ + SourceFont, &source_)) << fonts_ + SourceFont;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WatcherProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZeltaTesztFontFigyelo";
    RegisterClassA(&windowClass);
    watcher_ = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(watcher_, nullptr);
    fontChanges = 0;
  }

  void TearDown() override {
    for (const std::string& file : files_) {
      while (RemoveFontResourceA((fonts_ + file).c_str())) {
      }
      DeleteFileA((fonts_ + file).c_str());
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      for (const std::string& name : registered_) RegDeleteValueA(key, name.c_str());
      RegCloseKey(key);
    }
    if (watcher_ != nullptr) DestroyWindow(watcher_);
    if (!catalogue_.empty()) DeleteFileA(catalogue_.c_str());
  }

  // Puts a renamed copy of the source font into the Fonts folder.
  void MakeFont(const std::string& file, const std::string& family) {
    std::string font = source_;
    ASSERT_GT(RenameFamily(font, family), 0);
    files_.push_back(file);
    WriteTestFile(fonts_ + file, font);
    ASSERT_FALSE(FamilyAvailable(family)) << family;
  }

  void Catalogue(const std::string& content) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    catalogue_ = WriteTestCatalogue(std::string("zelta_fonts_") + info->name() + ".ini", content);
  }

  // Names that the test may leave in the fonts key.
  void MayRegister(const std::string& name) { registered_.push_back(name); }

  std::string Registered(const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return "-";
    char data[512] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                              &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "-";
  }

  std::string fonts_;
  std::string source_;
  std::string catalogue_;
  std::vector<std::string> files_;
  std::vector<std::string> registered_;
  HWND watcher_ = nullptr;
};

TEST_F(FontsTest, EachLoadedFontIsAvailableAnnouncedAndRegistered) {
  MakeFont("zelta_teszt_a.ttf", "ZtFntA");
  MakeFont("zelta_teszt_b.ttf", "ZtFntB");
  MakeFont("zelta_teszt_c.ttf", "ZtFntC");
  Catalogue(
      "[FontsCommand]\r\n"
      "FontFile1=zelta_teszt_a.ttf\r\nFontName1=ZtFntA Teszt (TrueType)\r\n"
      "FontFile2=zelta_teszt_b.ttf\r\nFontName2=ZtFntB Teszt (TrueType)\r\n"
      "FontFile3=zelta_teszt_c.ttf\r\nFontName3=ZtFntC Teszt (TrueType)\r\n");
  for (const char* name : {"ZtFntA Teszt (TrueType)", "ZtFntB Teszt (TrueType)",
                           "ZtFntC Teszt (TrueType)"}) {
    MayRegister(name);
  }
  InstallFonts();
  EXPECT_TRUE(FamilyAvailable("ZtFntA"));
  EXPECT_TRUE(FamilyAvailable("ZtFntB"));
  EXPECT_TRUE(FamilyAvailable("ZtFntC"));
  EXPECT_EQ(fontChanges, 3);
  // The file name alone, not the path.
  EXPECT_EQ(Registered("ZtFntA Teszt (TrueType)"), "zelta_teszt_a.ttf");
  EXPECT_EQ(Registered("ZtFntB Teszt (TrueType)"), "zelta_teszt_b.ttf");
  EXPECT_EQ(Registered("ZtFntC Teszt (TrueType)"), "zelta_teszt_c.ttf");

  // Exactly one load each: a second removal finds nothing.
  for (const char* file : {"zelta_teszt_a.ttf", "zelta_teszt_b.ttf", "zelta_teszt_c.ttf"}) {
    EXPECT_TRUE(RemoveFontResourceA((fonts_ + file).c_str())) << file;
    EXPECT_FALSE(RemoveFontResourceA((fonts_ + file).c_str())) << file;
  }
  EXPECT_FALSE(FamilyAvailable("ZtFntA"));
}

TEST_F(FontsTest, AFontThatDoesNotLoadIsRegisteredWithoutAnnouncement) {
  MakeFont("zelta_teszt_d.ttf", "ZtFntD");
  Catalogue(
      "[FontsCommand]\r\n"
      "FontFile1=zelta_teszt_nincs.ttf\r\nFontName1=ZtFnt Hianyzik\r\n"
      "FontFile2=zelta_teszt_d.ttf\r\nFontName2=ZtFntD Teszt\r\n");
  MayRegister("ZtFnt Hianyzik");
  MayRegister("ZtFntD Teszt");
  InstallFonts();
  EXPECT_EQ(fontChanges, 1);
  EXPECT_EQ(Registered("ZtFnt Hianyzik"), "zelta_teszt_nincs.ttf");
  EXPECT_EQ(Registered("ZtFntD Teszt"), "zelta_teszt_d.ttf");
  EXPECT_TRUE(FamilyAvailable("ZtFntD"));
}

TEST_F(FontsTest, AnEntryWithoutNameEndsTheList) {
  MakeFont("zelta_teszt_e.ttf", "ZtFntE");
  MakeFont("zelta_teszt_f.ttf", "ZtFntF");
  MakeFont("zelta_teszt_g.ttf", "ZtFntG");
  Catalogue(
      "[FontsCommand]\r\n"
      "FontFile1=zelta_teszt_e.ttf\r\nFontName1=ZtFntE Teszt\r\n"
      "FontFile2=zelta_teszt_f.ttf\r\nFontName2=*\r\n"
      "FontFile3=zelta_teszt_g.ttf\r\nFontName3=ZtFntG Teszt\r\n");
  MayRegister("ZtFntE Teszt");
  MayRegister("ZtFntG Teszt");
  InstallFonts();
  EXPECT_EQ(fontChanges, 1);
  EXPECT_TRUE(FamilyAvailable("ZtFntE"));
  EXPECT_FALSE(FamilyAvailable("ZtFntF"));
  EXPECT_FALSE(FamilyAvailable("ZtFntG"));
  EXPECT_EQ(Registered("ZtFntG Teszt"), "-");
}

TEST_F(FontsTest, NoFirstEntryNothingHappens) {
  MakeFont("zelta_teszt_h.ttf", "ZtFntH");
  Catalogue("[FontsCommand]\r\nFontFile2=zelta_teszt_h.ttf\r\nFontName2=ZtFntH Teszt\r\n");
  MayRegister("ZtFntH Teszt");
  InstallFonts();
  Catalogue("[FontsCommand]\r\n");
  InstallFonts();
  EXPECT_EQ(fontChanges, 0);
  EXPECT_FALSE(FamilyAvailable("ZtFntH"));
  EXPECT_EQ(Registered("ZtFntH Teszt"), "-");
}

TEST_F(FontsTest, AFontPathTooLongIsNotLoadedButRegistered) {
  // "C:\windows\Fonts\" and 240 characters: a real file, but its path does
  // not fit the installer's 255 characters; cut, it would name another file.
  const std::string longName = std::string(236, 'z') + ".ttf";
  MakeFont(longName, "ZtFntL");
  ASSERT_GT(fonts_.size() + longName.size(), 255u);
  Catalogue("[FontsCommand]\r\nFontFile1=" + longName + "\r\nFontName1=ZtFntL Teszt\r\n");
  MayRegister("ZtFntL Teszt");
  InstallFonts();
  EXPECT_EQ(fontChanges, 0);
  EXPECT_FALSE(FamilyAvailable("ZtFntL"));
  EXPECT_EQ(Registered("ZtFntL Teszt"), longName);
}

}  // namespace
