#include "install/directory_creation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "tests/win/test_site.h"

namespace {

// Every folder and file below `path`, relative to it, sorted.
void ListTree(const std::string& path, const std::string& prefix, std::vector<std::string>* out) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    out->push_back(prefix + name);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListTree(path + "\\" + name, prefix + name + "\\", out);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

std::vector<std::string> Tree(const std::string& path) {
  std::vector<std::string> entries;
  ListTree(path, "", &entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

class DirectoryCreationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    root_ = "ZeltaDirs" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    rootPath_ = "C:\\" + root_;
    RemoveTree(rootPath_);
    InstallState.TargetDrive = 3;
    TextCopy(InstallState.RootDirectory, root_.c_str());
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    catalogue_ = std::string(temp) + root_ + ".ini";
    TextCopy(InstallState.CataloguePath, catalogue_.c_str());
  }

  void TearDown() override {
    RemoveTree(rootPath_);
    DeleteFileA(catalogue_.c_str());
    for (const std::string& path : outside_) RemoveTree(path);
  }

  void WriteCatalogue(const std::string& text) {
    FILE* f = fopen(catalogue_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }

  // A folder beside the root, removed afterwards.
  std::string Outside(const std::string& suffix) {
    outside_.push_back(rootPath_ + suffix);
    return outside_.back();
  }

  bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string root_, rootPath_, catalogue_;
  std::vector<std::string> outside_;
};

TEST_F(DirectoryCreationTest, WithoutDir1OnlyTheRootIsMade) {
  WriteCatalogue("[System]\r\nRootDirectory=x\r\n[Directorys]\r\nDir2=\\two\r\n");
  CreateDirectories();
  EXPECT_TRUE(IsFolder(rootPath_));
  EXPECT_TRUE(Tree(rootPath_).empty());
}

TEST_F(DirectoryCreationTest, WithoutACatalogueOnlyTheRootIsMade) {
  CreateDirectories();
  EXPECT_TRUE(IsFolder(rootPath_));
  EXPECT_TRUE(Tree(rootPath_).empty());
}

TEST_F(DirectoryCreationTest, TheListEndsAtTheFirstMissingNumber) {
  WriteCatalogue("[Directorys]\r\nDir1=\\one\r\nDir3=\\three\r\n");
  CreateDirectories();
  EXPECT_EQ(Tree(rootPath_), std::vector<std::string>{"one"});
}

TEST_F(DirectoryCreationTest, EachEntryMakesOneLevelBelowAnExistingParent) {
  WriteCatalogue(
      "[Directorys]\r\nDir1=\\ZeltaWin32\r\nDir2=\\ZeltaWin32\\Bin\r\nDir3=\\Missing\\Child\r\n"
      "Dir4=\\Rajzok és blokkok\r\n");
  CreateDirectories();
  EXPECT_EQ(Tree(rootPath_), (std::vector<std::string>{"Rajzok és blokkok", "ZeltaWin32", "ZeltaWin32\\Bin"}));
}

TEST_F(DirectoryCreationTest, ValueWithoutBackslashMakesAFolderBesideTheRoot) {
  WriteCatalogue("[Directorys]\r\nDir1=Sibling\r\nDir2=\\inside\r\n");
  std::string sibling = Outside("Sibling");
  CreateDirectories();
  EXPECT_TRUE(IsFolder(sibling));
  EXPECT_EQ(Tree(rootPath_), std::vector<std::string>{"inside"});
}

TEST_F(DirectoryCreationTest, ValuesThatClimbOutOfTheRootArePassedOver) {
  std::string out1 = Outside("Out1"), out2 = Outside("Out2"), out3 = Outside("Out3");
  WriteCatalogue("[Directorys]\r\nDir1=\\a\r\nDir2=\\..\\" + root_ + "Out1\r\nDir3=\\a\\..\\..\\" + root_ +
                 "Out2\r\nDir4=\\a\\...\\..\\" + root_ + "Out3\r\nDir5=\\D:\\x\r\nDir6=\\a\\b\r\n");
  CreateDirectories();
  EXPECT_FALSE(PathExists(out1));
  EXPECT_FALSE(PathExists(out2));
  EXPECT_FALSE(PathExists(out3));
  // The list goes on after them.
  EXPECT_EQ(Tree(rootPath_), (std::vector<std::string>{"a", "a\\b"}));
}

TEST_F(DirectoryCreationTest, RunningTwiceChangesNothing) {
  WriteCatalogue("[Directorys]\r\nDir1=\\a\r\nDir2=\\a\\b\r\nDir3=\\c\r\n");
  CreateDirectories();
  FILE* f = fopen((rootPath_ + "\\a\\b\\file.txt").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("content", f);
  fclose(f);
  std::vector<std::string> before = Tree(rootPath_);
  EXPECT_EQ(before, (std::vector<std::string>{"a", "a\\b", "a\\b\\file.txt", "c"}));

  CreateDirectories();
  EXPECT_EQ(Tree(rootPath_), before);
  std::string content;
  ASSERT_TRUE(ReadLocalFile(rootPath_ + "\\a\\b\\file.txt", &content));
  EXPECT_EQ(content, "content");
}

}  // namespace
