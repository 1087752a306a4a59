#include "install/registry_access.h"
#include "install/registry_record.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "tests/win/install_test_support.h"

namespace {

const char RecordKey[] = "Software\\ZeltaSoft\\ZeltaTeszt Rendszer";
const char ScratchKey[] = "Software\\ZeltaSoft\\ZeltaTeszt Kulcs\\Alkulcs";

// Reads a value straight from the registry, not through the code under test.
bool MachineText(const std::string& key, const char* name, std::string* text) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
    return false;
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  DWORD type = 0;
  LONG r = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(handle);
  if (r != ERROR_SUCCESS || type != REG_SZ) return false;
  *text = buf;
  return true;
}

std::string MachineTextOr(const std::string& key, const char* name, const char* otherwise) {
  std::string text;
  return MachineText(key, name, &text) ? text : otherwise;
}

bool MachineKeyExists(const std::string& key) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

void SetMachineText(const std::string& key, const char* name, const char* text) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text) + 1));
  RegCloseKey(handle);
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    InstallState.TargetDrive = 3;
    TextCopy(InstallState.RootDirectory, "V92EDemo");
    Cleanup();
  }
  void TearDown() override {
    Cleanup();
    if (!catalogue_.empty()) DeleteFileA(catalogue_.c_str());
  }
  void Cleanup() {
    DeleteMachineKey(RecordKey);
    DeleteMachineKey("Software\\ZeltaSoft\\ZeltaTeszt Kulcs");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\ZeltaSoft");  // only when empty
    for (const char* key : {".zt1", ".zt2", ".zt3", ".zt4", ".ztl", "ZeltaTeszt.Rajz",
                            "ZeltaTeszt.Blokk", "ZeltaTeszt.Negyedik", "ZeltaTeszt.Hosszu"}) {
      DeleteMachineKey(std::string("Software\\Classes\\") + key);
    }
    DeleteMachineKey("Software\\Classes\\" + LongClass());
  }
  // 225 characters.
  static std::string LongClass() { return "ZeltaTeszt." + std::string(214, 'L'); }

  void Catalogue(const std::string& content) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    catalogue_ =
        WriteTestCatalogue(std::string("zelta_registry_") + info->name() + ".ini", content);
  }

  std::string catalogue_;
};

TEST_F(RegistryTest, WriteReadAndDeleteAValue) {
  EXPECT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, ScratchKey, "N\xE9v", "\xE9rt\xE9k \xF5"));
  EXPECT_EQ(MachineTextOr(ScratchKey, "N\xE9v", "-"), "\xE9rt\xE9k \xF5");
  EXPECT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, ScratchKey, "", "alap"));
  EXPECT_EQ(MachineTextOr(ScratchKey, "", "-"), "alap");
  EXPECT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, ScratchKey, "N\xE9v", "m\xE1sik"));
  EXPECT_EQ(MachineTextOr(ScratchKey, "N\xE9v", "-"), "m\xE1sik");

  char buf[16];
  ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "N\xE9v", buf, sizeof buf));
  EXPECT_STREQ(buf, "m\xE1sik");
  ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "", buf, sizeof buf));
  EXPECT_STREQ(buf, "alap");

  EXPECT_TRUE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "N\xE9v"));
  EXPECT_EQ(MachineTextOr(ScratchKey, "N\xE9v", "-"), "-");
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "N\xE9v", buf, sizeof buf));
  EXPECT_FALSE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "N\xE9v"));
  EXPECT_FALSE(DeleteRegistryValue(HKEY_LOCAL_MACHINE, "Software\\ZeltaSoft\\Nincs ilyen", "x"));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, "Software\\ZeltaSoft\\Nincs ilyen", "x", buf,
                                 sizeof buf));
}

TEST_F(RegistryTest, AValueLargerThanTheBufferIsNotRead) {
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, ScratchKey, "v", "12345678"));
  char buf[9];
  EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "v", buf, sizeof buf));
  EXPECT_STREQ(buf, "12345678");
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, ScratchKey, "v", "123456789"));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "v", buf, sizeof buf));
}

TEST_F(RegistryTest, DataWithoutItsZeroIsTerminatedOrRefused) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(handle, "nyers", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcd"), 4);
  RegCloseKey(handle);
  char buf[8];
  memset(buf, 'x', sizeof buf);
  ASSERT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "nyers", buf, sizeof buf));
  EXPECT_STREQ(buf, "abcd");
  char exact[4];
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, ScratchKey, "nyers", exact, sizeof exact));
}

TEST_F(RegistryTest, RecordHoldsSystemVersionTimePathAndUser) {
  Catalogue(
      "[System]\r\nRootDirectory=V92EDemo\r\nCadSystem=ZeltaTeszt Rendszer\r\n"
      "SubSystem=Villamos tervez\xF5\r\nVersion=9.20 Demo\r\n");
  SetMachineText(RecordKey, "Egy\xE9" "b", "marad");
  SYSTEMTIME before;
  GetSystemTime(&before);
  WriteRegistryRecord();
  SYSTEMTIME after;
  GetSystemTime(&after);

  EXPECT_EQ(MachineTextOr(RecordKey, "SubSystem", "-"), "Villamos tervez\xF5");
  EXPECT_EQ(MachineTextOr(RecordKey, "System Version", "-"), "9.20 Demo");
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed Path", "-"), "C:\\V92EDemo");
  EXPECT_EQ(MachineTextOr(RecordKey, "Egy\xE9" "b", "-"), "marad");
  EXPECT_EQ(MachineTextOr(RecordKey, "CadSystem", "-"), "-");  // it names the key only

  char user[256];
  DWORD size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed By", "-"), user);

  std::string time = MachineTextOr(RecordKey, "Installed Time", "-");
  int y, mo, d, h, mi, s;
  char tail;
  ASSERT_EQ(sscanf(time.c_str(), "%4d.%2d.%2d. %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail), 6)
      << time;
  EXPECT_EQ(time.size(), 20u) << time;
  // UTC, between the two readings (the test does not run across midnight).
  auto seconds = [](int hh, int mm, int ss) { return hh * 3600 + mm * 60 + ss; };
  EXPECT_EQ(y, before.wYear);
  EXPECT_EQ(mo, before.wMonth);
  EXPECT_EQ(d, before.wDay);
  EXPECT_GE(seconds(h, mi, s), seconds(before.wHour, before.wMinute, before.wSecond));
  EXPECT_LE(seconds(h, mi, s), seconds(after.wHour, after.wMinute, after.wSecond));
}

TEST_F(RegistryTest, NoCadSystemNoRecord) {
  Catalogue("[System]\r\nSubSystem=x\r\nVersion=1\r\n");
  WriteRegistryRecord();
  EXPECT_FALSE(MachineKeyExists("Software\\ZeltaSoft"));
  Catalogue("[System]\r\nCadSystem=*ZeltaTeszt Rendszer\r\nSubSystem=x\r\nVersion=1\r\n");
  WriteRegistryRecord();
  EXPECT_FALSE(MachineKeyExists("Software\\ZeltaSoft"));
  Catalogue("[System]\r\nCadSystem=\r\nSubSystem=x\r\nVersion=1\r\n");
  WriteRegistryRecord();
  EXPECT_FALSE(MachineKeyExists("Software\\ZeltaSoft"));
}

TEST_F(RegistryTest, RecordStopsAtTheFirstMissingValue) {
  Catalogue("[System]\r\nCadSystem=ZeltaTeszt Rendszer\r\nSubSystem=Csak ez\r\n");
  WriteRegistryRecord();
  EXPECT_EQ(MachineTextOr(RecordKey, "SubSystem", "-"), "Csak ez");
  EXPECT_EQ(MachineTextOr(RecordKey, "System Version", "-"), "-");
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed Time", "-"), "-");
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed Path", "-"), "-");
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed By", "-"), "-");

  DeleteMachineKey(RecordKey);
  Catalogue("[System]\r\nCadSystem=ZeltaTeszt Rendszer\r\nVersion=1\r\n");
  WriteRegistryRecord();
  EXPECT_TRUE(MachineKeyExists("Software\\ZeltaSoft"));
  EXPECT_FALSE(MachineKeyExists(RecordKey));
}

TEST_F(RegistryTest, AnEarlierRemovalIsForgottenOnlyWhenItNamesItsUser) {
  const std::string record =
      "[System]\r\nCadSystem=ZeltaTeszt Rendszer\r\nSubSystem=s\r\nVersion=v\r\n";
  Catalogue(record);
  SetMachineText(RecordKey, "UnInstalled By", "valaki");
  SetMachineText(RecordKey, "UnInstalled Time", "2018.05.06. 07:08:09");
  WriteRegistryRecord();
  EXPECT_EQ(MachineTextOr(RecordKey, "UnInstalled By", "-"), "-");
  EXPECT_EQ(MachineTextOr(RecordKey, "UnInstalled Time", "-"), "-");

  SetMachineText(RecordKey, "UnInstalled Time", "2018.05.06. 07:08:09");
  WriteRegistryRecord();
  EXPECT_EQ(MachineTextOr(RecordKey, "UnInstalled Time", "-"), "2018.05.06. 07:08:09");
  EXPECT_EQ(MachineTextOr(RecordKey, "System Version", "-"), "v");
}

TEST_F(RegistryTest, AnInstallationRootTooLongIsLeftOutNotCut) {
  Catalogue("[System]\r\nCadSystem=ZeltaTeszt Rendszer\r\nSubSystem=s\r\nVersion=v\r\n");
  TextCopy(InstallState.RootDirectory, std::string(253, 'R').c_str());  // "C:\" + 253 > 255
  WriteRegistryRecord();
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed Path", "-"), "-");
  EXPECT_NE(MachineTextOr(RecordKey, "Installed Time", "-"), "-");
  EXPECT_NE(MachineTextOr(RecordKey, "Installed By", "-"), "-");

  TextCopy(InstallState.RootDirectory, std::string(252, 'R').c_str());
  WriteRegistryRecord();
  EXPECT_EQ(MachineTextOr(RecordKey, "Installed Path", "-"), "C:\\" + std::string(252, 'R'));
}

TEST_F(RegistryTest, FileTypesWithOpenCommandAndIcon) {
  Catalogue(
      "[RegistryCommand]\r\n"
      "FileType1=.zt1\r\nClassName1=ZeltaTeszt.Rajz\r\nExeFile1=ZeltaWin32.exe\r\n"
      "IconFile1=Rajz.ico\r\n"
      "FileType2=.zt2\r\nClassName2=ZeltaTeszt.Blokk\r\nExeFile2=ZeltaWin32.exe /b\r\n"
      "IconFile2=*\r\n"
      "ClassName3=ZeltaTeszt.Harmadik\r\n"
      "FileType4=.zt4\r\nClassName4=ZeltaTeszt.Negyedik\r\n");
  RegisterFileTypes();
  const std::string classes = "Software\\Classes\\";
  EXPECT_EQ(MachineTextOr(classes + ".zt1", "", "-"), "ZeltaTeszt.Rajz");
  EXPECT_EQ(MachineTextOr(classes + "ZeltaTeszt.Rajz", "", "-"), "ZeltaTeszt.Rajz");
  EXPECT_EQ(MachineTextOr(classes + "ZeltaTeszt.Rajz\\Shell\\Open\\Command", "", "-"),
            "C:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe");
  EXPECT_EQ(MachineTextOr(classes + "ZeltaTeszt.Rajz\\DefaultIcon", "", "-"),
            "C:\\V92EDemo\\ZeltaWin32\\Rajz.ico");

  EXPECT_EQ(MachineTextOr(classes + ".zt2", "", "-"), "ZeltaTeszt.Blokk");
  EXPECT_EQ(MachineTextOr(classes + "ZeltaTeszt.Blokk\\Shell\\Open\\Command", "", "-"),
            "C:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe /b");
  EXPECT_FALSE(MachineKeyExists(classes + "ZeltaTeszt.Blokk\\DefaultIcon"));

  // Entry 3 has no file type: the list ends there, whatever entry 4 holds.
  EXPECT_FALSE(MachineKeyExists(classes + "ZeltaTeszt.Harmadik"));
  EXPECT_FALSE(MachineKeyExists(classes + ".zt4"));
  EXPECT_FALSE(MachineKeyExists(classes + "ZeltaTeszt.Negyedik"));
}

TEST_F(RegistryTest, WithoutProgramTheIconIsNotLookedAt) {
  Catalogue(
      "[RegistryCommand]\r\n"
      "FileType1=.zt1\r\nClassName1=ZeltaTeszt.Rajz\r\nIconFile1=Rajz.ico\r\n"
      "FileType2=.zt2\r\nClassName2=\r\nExeFile2=ZeltaWin32.exe\r\n"
      "FileType3=.zt3\r\nClassName3=ZeltaTeszt.Blokk\r\n");
  RegisterFileTypes();
  const std::string classes = "Software\\Classes\\";
  EXPECT_EQ(MachineTextOr(classes + ".zt1", "", "-"), "ZeltaTeszt.Rajz");
  EXPECT_EQ(MachineTextOr(classes + "ZeltaTeszt.Rajz", "", "-"), "ZeltaTeszt.Rajz");
  EXPECT_FALSE(MachineKeyExists(classes + "ZeltaTeszt.Rajz\\Shell"));
  EXPECT_FALSE(MachineKeyExists(classes + "ZeltaTeszt.Rajz\\DefaultIcon"));
  // An empty class name ends the list.
  EXPECT_FALSE(MachineKeyExists(classes + ".zt2"));
  EXPECT_FALSE(MachineKeyExists(classes + ".zt3"));
}

TEST_F(RegistryTest, KeysAndCommandsTooLongAreLeftOutNotCut) {
  // The class key (242 characters) fits, its DefaultIcon key (254) too, its
  // open command key (261) does not.
  Catalogue("[RegistryCommand]\r\nFileType1=.ztl\r\nClassName1=" + LongClass() +
            "\r\nExeFile1=ZeltaWin32.exe\r\nIconFile1=Rajz.ico\r\n" +
            "FileType2=.zt2\r\nClassName2=ZeltaTeszt.Blokk\r\nExeFile2=" + std::string(233, 'e') +
            "\r\nIconFile2=Blokk.ico\r\n");
  RegisterFileTypes();
  const std::string classes = "Software\\Classes\\";
  const std::string longClass = classes + LongClass();
  EXPECT_EQ(MachineTextOr(classes + ".ztl", "", "-"), LongClass());
  EXPECT_EQ(MachineTextOr(longClass, "", "-"), LongClass());
  EXPECT_FALSE(MachineKeyExists(longClass + "\\Shell"));
  EXPECT_EQ(MachineTextOr(longClass + "\\DefaultIcon", "", "-"),
            "C:\\V92EDemo\\ZeltaWin32\\Rajz.ico");

  // "C:\V92EDemo\ZeltaWin32\" + 233 characters is 256: no open command, but
  // the icon that fits is still written.
  EXPECT_FALSE(MachineKeyExists(classes + "ZeltaTeszt.Blokk\\Shell\\Open\\Command"));
  EXPECT_EQ(MachineTextOr(classes + "ZeltaTeszt.Blokk\\DefaultIcon", "", "-"),
            "C:\\V92EDemo\\ZeltaWin32\\Blokk.ico");
}

}  // namespace
