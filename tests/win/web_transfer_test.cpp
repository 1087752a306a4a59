// The web transfer against the loopback vendor server, through WinINet.
// Runs inside tools/distribution/vendor-net.sh (private network, the vendor's host
// names on 127.0.0.1, a trusted test CA).
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"
#include "tests/win/message_box_answerer.h"
#include "tests/win/recording_dialog.h"
#include "tests/win/test_site.h"
#include "tests/win/wait_until.h"
#include "web/distribution_download.h"
#include "web/internet_session.h"
#include "web/remote_file.h"
#include "web/status_log.h"
#include "web/transfer_outcome.h"
#include "web/vendor_connection.h"
#include "web/vendor_paths.h"

namespace {

const char LocalRoot[] = "C:\\WebTestRoot";
const char DownloadArea[] = "C:\\WebTestRoot\\ZeltaWin32\\Install\\";

class WebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    StatusLogClear();
    ClearSessionHandles();
    ClearDownloadFailure();  // a run starts with none; tests share the process
    InstallState.Instance = GetModuleHandleA(nullptr);
    InstallState.TargetDrive = 3;
    TextCopy(InstallState.BasePath, "C:\\");
    ClearSite();
    WriteProbe(WebSite);
    WriteProbe(DownloadSite);
    RemoveTree(LocalRoot);
  }
  void TearDown() override {
    CloseSession();
    ClearSite();
    RemoveTree(LocalRoot);
  }

  void OpenSecure() {
    InstallState.SecureMode = 1;
    ASSERT_FALSE(OpenSession(1, WebHost(), "", ""));
  }

  std::string Url(const std::string& relative) {
    char url[256];
    BuildUpdateFolderUrl(url, sizeof url);
    return std::string(url) + "/" + relative;
  }
};

// ---------------------------------------------------------------- probe

TEST_F(WebTest, ProbeAcceptsBothMarkersInOrder) {
  OpenSecure();
  EXPECT_TRUE(ProbeServer(SessionHandle()));
  WriteSiteFile(WebSite, "Update.ini",
                "ZeltaCAD WEB update system: V9.21 (web)\r\nnote\r\nZeltaSoft Ltd. 1992-2019. Budapest\r\n");
  EXPECT_TRUE(ProbeServer(SessionHandle()));
}

TEST_F(WebTest, ProbeRefusesWrongOrderAndUnterminatedSecondMarker) {
  OpenSecure();
  WriteSiteFile(WebSite, "Update.ini",
                "ZeltaSoft Ltd. 1992-2019.\r\nZeltaCAD WEB update system: V9.21\r\n");
  EXPECT_FALSE(ProbeServer(SessionHandle()));
  WriteSiteFile(WebSite, "Update.ini",
                "ZeltaSoft Ltd. 1992-2019.\r\nZeltaCAD WEB update system: V9.21\r\nZeltaSoft Ltd. 1992-2019.\r\n");
  EXPECT_TRUE(ProbeServer(SessionHandle()));
  WriteSiteFile(WebSite, "Update.ini", "ZeltaCAD WEB update system: V9.21\r\nZeltaSoft Ltd. 1992-2019.");
  EXPECT_FALSE(ProbeServer(SessionHandle()));
}

TEST_F(WebTest, ProbeRefusesAnswersWithoutUsableLength) {
  OpenSecure();
  for (const char* fault : {"no-length", "chunked", "zero-length", "status 404", "status 500", "html"}) {
    SetFault(WebSite, "Update.ini", fault);
    EXPECT_FALSE(ProbeServer(SessionHandle())) << fault;
  }
  SetFault(WebSite, "Update.ini", "");
  EXPECT_TRUE(ProbeServer(SessionHandle()));
  EXPECT_EQ(StatusLogCount(), 0u);  // the probe itself records nothing
}

TEST_F(WebTest, ProbeFailsOnceCancelled) {
  OpenSecure();
  InstallState.CancelRequested = 1;
  EXPECT_FALSE(ProbeServer(SessionHandle()));
}

TEST_F(WebTest, CloseSessionTwiceIsHarmless) {
  OpenSecure();
  EXPECT_NE(SessionHandle(), nullptr);
  CloseSession();
  EXPECT_EQ(SessionHandle(), nullptr);
  CloseSession();
  EXPECT_EQ(SessionHandle(), nullptr);
}

// ---------------------------------------------------------- remote files

TEST_F(WebTest, RemoteFileIsReadWhole) {
  OpenSecure();
  std::string content = TestBytes(70000, 1);
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", content);
  HINTERNET request;
  int32_t length;
  ASSERT_FALSE(OpenRemoteFile(Url("VarnelDemo/Disc_01/Install.ini").c_str(), &request, &length));
  ASSERT_EQ(length, 70000);
  std::string buffer(length, '\0');
  EXPECT_FALSE(ReadRemoteFile(request, &buffer[0], length));
  InternetCloseHandle(request);
  EXPECT_EQ(buffer, content);
}

TEST_F(WebTest, MissingFileLeavesOneStatusEntryEndingWithTheUrl) {
  OpenSecure();
  std::string url = Url("VarnelDemo/Disc_01/nothing.txt");
  HINTERNET request = reinterpret_cast<HINTERNET>(1);
  int32_t length = 5;
  EXPECT_TRUE(OpenRemoteFile(url.c_str(), &request, &length));
  EXPECT_EQ(length, 0);
  EXPECT_EQ(request, nullptr);
  ASSERT_EQ(StatusLogCount(), 1u);
  EXPECT_EQ(StatusLogEntry(0)->level, 0);
  EXPECT_EQ(std::string(StatusLogEntry(0)->text),
            "- Hiba: [RP029] :Ez a file nem elérhető!: " + url);

  // Any other status than 200 counts the same.
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/forbidden.txt", "x");
  SetFault(WebSite, "VarnelDemo/Disc_01/forbidden.txt", "status 403");
  EXPECT_TRUE(OpenRemoteFile(Url("VarnelDemo/Disc_01/forbidden.txt").c_str(), &request, &length));
  EXPECT_EQ(StatusLogCount(), 2u);
}

TEST_F(WebTest, ZeroOrMissingLengthFailsWithoutStatusEntry) {
  OpenSecure();
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/a.txt", "content");
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/empty.txt", "");
  HINTERNET request;
  int32_t length;
  EXPECT_TRUE(OpenRemoteFile(Url("VarnelDemo/Disc_01/empty.txt").c_str(), &request, &length));
  for (const char* fault : {"no-length", "chunked", "zero-length"}) {
    SetFault(WebSite, "VarnelDemo/Disc_01/a.txt", fault);
    EXPECT_TRUE(OpenRemoteFile(Url("VarnelDemo/Disc_01/a.txt").c_str(), &request, &length)) << fault;
    EXPECT_EQ(length, 0);
  }
  EXPECT_EQ(StatusLogCount(), 0u);
}

TEST_F(WebTest, ShortBodyIsAReadFailure) {
  OpenSecure();
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/a.txt", TestBytes(5000, 2));
  SetFault(WebSite, "VarnelDemo/Disc_01/a.txt", "short 100");
  HINTERNET request;
  int32_t length;
  ASSERT_FALSE(OpenRemoteFile(Url("VarnelDemo/Disc_01/a.txt").c_str(), &request, &length));
  EXPECT_EQ(length, 5000);
  std::string buffer(length, '\0');
  EXPECT_TRUE(ReadRemoteFile(request, &buffer[0], length));
  InternetCloseHandle(request);
}

// ------------------------------------------------------------ catalogue

const char SizingCatalogue[] =
    "[System]\r\nRootDirectory=WebTestRoot\r\nVersion=9.21\r\n"
    "[Disc01]\r\nName=Egyes\r\nSetup=100\r\nSystems=200\r\nDrawings=50\r\nBlocks=*\r\nDatas=*12\r\nHelp=7\r\n"
    "[Disc03]\r\nName=Harmas\r\nSystems=1000\r\nBlocks=30\r\n"
    "[Directorys]\r\nDir1=\\ZeltaWin32\r\n";

TEST_F(WebTest, CatalogueSizesChosenComponentsAcrossDiscGaps) {
  OpenSecure();
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", SizingCatalogue);
  InstallState.ComponentDownload[ComponentDrawings] = 0;
  ASSERT_FALSE(FetchCatalogue());
  EXPECT_STREQ(InstallState.RootDirectory, "WebTestRoot");
  EXPECT_STREQ(InstallState.BasePath, "C:\\WebTestRoot\\ZeltaWin32\\");
  const DiscContentRecord& one = InstallState.DiscContent[0];
  EXPECT_EQ(one.Present[ComponentSetup], 1);
  EXPECT_EQ(one.Bytes[ComponentSystems], 200);
  EXPECT_EQ(one.Present[ComponentDrawings], 0);  // deselected: neither present nor sized
  EXPECT_EQ(one.Bytes[ComponentDrawings], 0);
  EXPECT_EQ(one.Bytes[ComponentHelp], 7);
  EXPECT_EQ(one.Present[ComponentBlocks], 0);  // "*..." values are absent: nothing to fetch
  EXPECT_EQ(one.Present[ComponentDatas], 0);
  for (int c = 0; c < ComponentCount; ++c) EXPECT_EQ(InstallState.DiscContent[1].Present[c], 0);
  EXPECT_EQ(InstallState.DiscContent[2].Bytes[ComponentSystems], 1000);
  EXPECT_EQ(InstallState.DiscContent[2].Present[ComponentBlocks], 1);
  EXPECT_EQ(InstallState.DownloadBytes, 1337);
  EXPECT_EQ(InstallState.InstallBytes, 1337);
  EXPECT_EQ(InstallState.ProgressTotal, 2674);
  EXPECT_EQ(InstallState.CancelRequested, 0);
}

TEST_F(WebTest, CatalogueWithoutRootDirectoryShowsTheMessageAndCancels) {
  OpenSecure();
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", "[System]\r\nVersion=9.21\r\n");
  MessageBoxAnswerer answer("ZeltaCAD System Error!", IDOK);
  EXPECT_TRUE(FetchCatalogue());
  EXPECT_TRUE(answer.seen());
  EXPECT_EQ(answer.text(), "A telepítési könyvtár nem található a WEB-en!");
  EXPECT_EQ(InstallState.CancelRequested, 1);
  EXPECT_STREQ(InstallState.BasePath, "C:\\");
}

TEST_F(WebTest, RootDirectoryLeadingOutOfTheDriveRootIsRefused) {
  OpenSecure();
  for (const char* root : {"..\\Windows", "D:\\Elsewhere", "\\\\server\\share"}) {
    InstallState.CancelRequested = 0;
    WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini",
                  std::string("[System]\r\nRootDirectory=") + root + "\r\n");
    MessageBoxAnswerer answer("ZeltaCAD System Error!", IDOK);
    EXPECT_TRUE(FetchCatalogue()) << root;
    EXPECT_TRUE(answer.seen()) << root;
    EXPECT_EQ(InstallState.CancelRequested, 1);
  }
}

// Every fixed path the run builds on the root must fit 255 characters
// whole, the longest being "C:\" + root +
// "\ZeltaWin32\Install\Disc_15\Fajls_15.ini": a root of 212 does, one of
// 213 does not (nor one of 241, what any longer catalogue line is cut to).
TEST_F(WebTest, RootDirectoryMustLeaveTheInstallationPathWhole) {
  OpenSecure();
  for (size_t length : {212u, 213u, 241u}) {
    InstallState.CancelRequested = 0;
    TextCopy(InstallState.BasePath, "C:\\");
    std::string root(length, 'R');
    WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", "[System]\r\nRootDirectory=" + root + "\r\n");
    MessageBoxAnswerer answer("ZeltaCAD System Error!", IDOK);
    bool failed = FetchCatalogue();
    EXPECT_EQ(failed, length > 212) << length;
    EXPECT_EQ(answer.seen(), length > 212) << length;
    if (!failed) {
      EXPECT_EQ(std::string(InstallState.BasePath), "C:\\" + root + "\\ZeltaWin32\\");
    }
  }
}

// A size no file can have makes the catalogue unusable: never summed, the
// run ends with the entry named.
TEST_F(WebTest, CatalogueSizesNoFileCanHaveCancel) {
  OpenSecure();
  struct Case {
    const char* size;
    const char* detail;
  } cases[] = {
      {"-1", "[Disc03] Systems=-1"},
      {"9223372036854775808", "[Disc03] Systems=9223372036854775808"},
  };
  for (const Case& c : cases) {
    ResetInstallState();
    InstallState.SecureMode = 1;
    InstallState.TargetDrive = 3;
    TextCopy(InstallState.BasePath, "C:\\");
    ClearDownloadFailure();
    std::string catalogue = SizingCatalogue;
    catalogue.replace(catalogue.find("Systems=1000"), 12, std::string("Systems=") + c.size);
    WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", catalogue);
    EXPECT_TRUE(FetchCatalogue()) << c.size;
    EXPECT_EQ(InstallState.CancelRequested, 1) << c.size;
    EXPECT_EQ(InstallState.ProgressTotal, 0) << c.size;
    ASSERT_TRUE(DownloadFailure.Failed) << c.size;
    EXPECT_EQ(DownloadFailure.Outcome, TransferBadCatalogue) << c.size;
    EXPECT_STREQ(DownloadFailure.File, "Disc_01/Install.ini") << c.size;
    EXPECT_STREQ(DownloadFailure.Detail, c.detail) << c.size;
    EXPECT_EQ(FailureHeadStringId(DownloadFailure.Outcome), IDS_FILE_UNUSABLE);
  }
}

TEST_F(WebTest, UnreadableCatalogueCancels) {
  OpenSecure();
  EXPECT_TRUE(FetchCatalogue());
  EXPECT_EQ(InstallState.CancelRequested, 1);
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", SizingCatalogue);
  SetFault(WebSite, "VarnelDemo/Disc_01/Install.ini", "short 20");
  InstallState.CancelRequested = 0;
  EXPECT_TRUE(FetchCatalogue());
  EXPECT_EQ(InstallState.CancelRequested, 1);
}

// ------------------------------------------------------------- download

// A two-disc distribution: the sizes in the catalogue are the real sizes.
struct TwoDiscs {
  std::string setupReal = "ABC";                      // stored interleaved
  std::string big = TestBytes(1300000, 3);            // three chunks
  std::string nested = TestBytes(1000, 4);
  std::string help = "help text\r\n";
  std::string drawing = TestBytes(300, 5);
  std::string library = TestBytes(2000, 6);           // "dl_" on disc 2
  std::string catalogue;
  std::string list1, list2;

  void Publish(SiteHost host) {
    catalogue = "[System]\r\nRootDirectory=WebTestRoot\r\n"
                "[Disc01]\r\nName=Egyes lemez\r\nSetup=" + std::to_string(setupReal.size() + nested.size()) +
                "\r\nSystems=" + std::to_string(big.size()) + "\r\nHelp=" + std::to_string(help.size()) +
                "\r\nDrawings=" + std::to_string(drawing.size()) +
                "\r\n[Disc02]\r\nName=Kettes lemez\r\nSystems=" + std::to_string(library.size()) + "\r\n";
    list1 = "[Disc]\r\nName=Egyes lemez\r\n"
            "[Setup]\r\nFile1=  \\setup.ex_,*?\\ZeltaWin32\\setup.exe\r\nFile2=\\Systems\\bin\\nested.dat \\ZeltaWin32\\n.dat\r\n"
            "[Systems]\r\nFile1=\\big.bin \\ZeltaWin32\\big.bin\r\n"
            "[Drawings]\r\nFile1=\\drawing.dwg \\Drawings\\drawing.dwg\r\n"
            "[Help]\r\nFile1=\\help.txt *%\\help\\help.txt\r\n";
    list2 = "[Disc]\r\nName=Kettes lemez\r\n[Systems]\r\nFile1=\\zelta.dl_ \\ZeltaWin32\\zelta.dll\r\n";
    WriteSiteFile(host, "VarnelDemo/Disc_01/Install.ini", catalogue);
    WriteSiteFile(host, "VarnelDemo/Disc_01/Fajls_1.ini", list1);
    WriteSiteFile(host, "VarnelDemo/Disc_01/setup.ex_", std::string("xAxBxC"));
    WriteSiteFile(host, "VarnelDemo/Disc_01/Systems/bin/nested.dat", nested);
    WriteSiteFile(host, "VarnelDemo/Disc_01/big.bin", big);
    WriteSiteFile(host, "VarnelDemo/Disc_01/drawing.dwg", drawing);
    WriteSiteFile(host, "VarnelDemo/Disc_01/help.txt", help);
    WriteSiteFile(host, "VarnelDemo/Disc_02/Fajls_2.ini", list2);
    WriteSiteFile(host, "VarnelDemo/Disc_02/zelta.dl_", Interleave(library));
  }

  int32_t ChosenBytes() const {  // Drawings not chosen
    return static_cast<int32_t>(setupReal.size() + nested.size() + big.size() + help.size() + library.size());
  }

  // The checksum lists, of the real bytes as the download area keeps them.
  std::string sums1, sums2;
  void PublishChecksums(SiteHost host) {
    sums1 = "# Fajls_1.ini\r\n" + Line(setupReal, "\\setup.ex_") + Line(nested, "\\Systems\\bin\\nested.dat") +
            Line(big, "\\big.bin") + Line(drawing, "drawing.dwg") + Line(help, "\\help.txt");
    sums2 = Line(library, "\\zelta.dl_");
    WriteSiteFile(host, "VarnelDemo/Disc_01/Fajls_1.sha256", sums1);
    WriteSiteFile(host, "VarnelDemo/Disc_02/Fajls_2.sha256", sums2);
  }
  static std::string Line(const std::string& real, const std::string& source) {
    return Sha256Hex(real) + " " + std::to_string(real.size()) + " " + source + "\r\n";
  }
  // Through the platform's CryptoAPI, not the installer's own SHA-256: a
  // fault in that still shows as a mismatch.
  static std::string Sha256Hex(const std::string& bytes) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[32] = {};
    DWORD size = sizeof digest;
    EXPECT_TRUE(CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT));
    EXPECT_TRUE(CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash));
    EXPECT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0));
    EXPECT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0));
    CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
    char hex[65];
    for (int i = 0; i < 32; ++i) snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    return hex;
  }
};

// SHA-256 of "abc", as published.
TEST(TestChecksums, KnownDigest) {
  EXPECT_EQ(TwoDiscs::Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

class DownloadTest : public WebTest {
 protected:
  void Prepare() {
    dist.Publish(WebSite);
    OpenSecure();
    InstallState.ComponentDownload[ComponentDrawings] = 0;
    ASSERT_FALSE(FetchCatalogue());
    ASSERT_FALSE(CreateDownloadFolders());
  }
  std::string Local(const std::string& relative) { return std::string(DownloadArea) + relative; }
  std::string LocalContent(const std::string& relative) {
    std::string content;
    EXPECT_TRUE(ReadLocalFile(Local(relative), &content)) << relative;
    return content;
  }

  TwoDiscs dist;
};

TEST_F(DownloadTest, TwoDiscsEndAtTheMissingThirdFileList) {
  Prepare();
  RecordingDialog dialog;
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());

  EXPECT_EQ(LocalContent("Disc_01\\setup.ex_"), "ABC");
  EXPECT_EQ(LocalContent("Disc_01\\Systems\\bin\\nested.dat"), dist.nested);
  EXPECT_EQ(LocalContent("Disc_01\\big.bin"), dist.big);
  EXPECT_EQ(LocalContent("Disc_01\\help.txt"), dist.help);
  EXPECT_EQ(LocalContent("Disc_02\\zelta.dl_"), dist.library);
  EXPECT_EQ(LocalContent("Disc_01\\Install.ini"), dist.catalogue);
  EXPECT_EQ(LocalContent("Disc_01\\Fajls_1.ini"), dist.list1);
  EXPECT_EQ(LocalContent("Disc_02\\Fajls_2.ini"), dist.list2);
  EXPECT_FALSE(PathExists(Local("Disc_01\\drawing.dwg")));  // component not chosen
  EXPECT_TRUE(PathExists(Local("Disc_03")));                  // made before its list was asked for
  EXPECT_FALSE(PathExists(Local("Disc_03\\Fajls_3.ini")));
  EXPECT_FALSE(PathExists(Local("Disc_04")));

  // Install.ini does not advance the bar: exactly the chosen files did.
  EXPECT_EQ(InstallState.ProgressDone, dist.ChosenBytes());
  EXPECT_EQ(InstallState.ProgressTotal, 2 * dist.ChosenBytes());
  EXPECT_EQ(dialog.BarPosition(), 500);
  EXPECT_EQ(dialog.CurrentText(IDC_PERCENT), " 50.0%");

  // The file line names each file without host or update folder.
  std::vector<std::string> files = dialog.TextsOf(IDC_FILE_LINE);
  ASSERT_EQ(files.size(), 6u);
  EXPECT_EQ(files[0], "https://... .../VarnelDemo/Disc_01/setup.ex_");
  EXPECT_EQ(files[1], "https://... .../VarnelDemo/Disc_01/Systems\\bin\\nested.dat");
  EXPECT_EQ(files[4], "https://... .../VarnelDemo/Disc_01/Install.ini");
  EXPECT_EQ(files[5], "https://... .../VarnelDemo/Disc_02/zelta.dl_");
}

TEST_F(DownloadTest, ActivityMarksTurnFromTheSecondChunk) {
  Prepare();
  RecordingDialog dialog;
  std::vector<std::string> marksDuringBig;
  bool inBig = false;
  dialog.onText = [&](const RecordedText& t) {
    if (t.item == IDC_FILE_LINE) inBig = t.text.find("big.bin") != std::string::npos;
    if (t.item == IDC_ACTIVITY_MARK && inBig) marksDuringBig.push_back(t.text);
  };
  DownloadDistribution();
  // 1,300,000 bytes: chunks of 512000, 512000 and 276000.
  std::vector<std::string> expected = {"|", "/", ""};
  EXPECT_EQ(marksDuringBig, expected);
  // Every other file is one chunk: only the clearing at its end.
  for (const std::string& mark : dialog.TextsOf(IDC_ACTIVITY_MARK))
    EXPECT_TRUE(mark == "" || mark == "|" || mark == "/") << mark;
  EXPECT_EQ(dialog.CurrentText(IDC_ACTIVITY_MARK), "");
}

TEST_F(DownloadTest, ServerGapEndsAfterTheFirstDisc) {
  dist.Publish(WebSite);
  DeleteFileA((UpdateFolder(WebSite) + "\\VarnelDemo\\Disc_02\\Fajls_2.ini").c_str());
  WriteSiteFile(WebSite, "VarnelDemo/Disc_03/Fajls_3.ini", "[Disc]\r\nName=Harmas\r\n");
  OpenSecure();
  ASSERT_FALSE(FetchCatalogue());
  ASSERT_FALSE(CreateDownloadFolders());
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_TRUE(PathExists(Local("Disc_01\\Fajls_1.ini")));
  EXPECT_TRUE(PathExists(Local("Disc_02")));
  EXPECT_FALSE(PathExists(Local("Disc_02\\zelta.dl_")));
  EXPECT_FALSE(PathExists(Local("Disc_03")));
}

TEST_F(DownloadTest, SecondRunReplacesExistingFiles) {
  Prepare();
  EXPECT_TRUE(DownloadDistribution());
  ASSERT_EQ(LocalContent("Disc_01\\big.bin"), dist.big);

  // New, shorter content on the server; the folders already exist.
  std::string smaller = TestBytes(1000, 9);
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/big.bin", smaller);
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/setup.ex_", std::string("-Z-Y"));
  std::string newList = dist.list2 + "; second edition\r\n";
  WriteSiteFile(WebSite, "VarnelDemo/Disc_02/Fajls_2.ini", newList);
  ASSERT_FALSE(CreateDownloadFolders());
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_EQ(LocalContent("Disc_01\\big.bin"), smaller);
  EXPECT_EQ(LocalContent("Disc_01\\setup.ex_"), "ZY");
  EXPECT_EQ(LocalContent("Disc_02\\Fajls_2.ini"), newList);
}

// A cancel does not wait for the file in transfer: what arrived stays, with
// its record, for a later run to go on from.
TEST_F(DownloadTest, CancelStopsTheFileInTransfer) {
  Prepare();
  RecordingDialog dialog;
  dialog.onText = [](const RecordedText& t) {
    if (t.item == IDC_ACTIVITY_MARK && t.text == "|") InstallState.CancelRequested = 1;  // after two chunks
  };
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_FALSE(DownloadReachedNormalEnd());
  EXPECT_EQ(LocalContent("Disc_01\\big.bin"), dist.big.substr(0, 2 * 512000));
  EXPECT_TRUE(PathExists(Local("Disc_01\\big.bin.dlinfo")));
  EXPECT_FALSE(PathExists(Local("Disc_01\\help.txt")));  // the next file never started
  EXPECT_FALSE(PathExists(Local("Disc_01\\Fajls_1.ini")));
  EXPECT_FALSE(PathExists(Local("Disc_02")));
  EXPECT_FALSE(DownloadFailure.Failed);  // a cancel is no failure to report
}

TEST_F(DownloadTest, FailedFileStopsTheDownloadAsAFailure) {
  Prepare();
  // (A dropped connection is no failure any more: the retries go on from
  // where it stopped; see DroppedTransfersResumeWhereTheyStopped.)
  for (const char* fault : {"status 404", "zero-length", "no-length", "short 1000\nshort 0"}) {
    SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", fault);
    ClearDownloadFailure();
    EXPECT_TRUE(DownloadDistribution()) << fault;
    EXPECT_FALSE(DownloadReachedNormalEnd()) << fault;
    EXPECT_FALSE(PathExists(Local("Disc_01\\help.txt"))) << fault;
    EXPECT_FALSE(PathExists(Local("Disc_01\\Fajls_1.ini"))) << fault;
    EXPECT_TRUE(DownloadFailure.Failed) << fault;
    EXPECT_STREQ(DownloadFailure.File, "Disc_01/big.bin") << fault;
  }
}

// Every large file drops twice: the retries ask for the rest of the same
// version, the stored files are byte-exact (a filtered one cut at an odd
// byte too), and the bar counts every byte once and never goes back.
TEST_F(DownloadTest, DroppedTransfersResumeWhereTheyStopped) {
  Prepare();
  size_t from = ServerAccessLog().size();
  SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", "drop 300000\ndrop 300000\nnone");
  SetFault(WebSite, "VarnelDemo/Disc_02/zelta.dl_", "drop 1001\nnone");
  RecordingDialog dialog;
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_EQ(LocalContent("Disc_01\\big.bin"), dist.big);
  EXPECT_EQ(LocalContent("Disc_02\\zelta.dl_"), dist.library);
  EXPECT_FALSE(DownloadFailure.Failed);

  std::string log = ServerAccessLog().substr(from);
  std::vector<LoggedRequest> big = RequestsFor(log, "/big.bin ");
  ASSERT_EQ(big.size(), 3u);
  EXPECT_EQ(big[0].status, 200);
  EXPECT_EQ(big[1].status, 206);
  EXPECT_EQ(big[2].status, 206);
  EXPECT_EQ(BytesSentFor(log, "/big.bin "), static_cast<long long>(dist.big.size()));
  std::vector<LoggedRequest> library = RequestsFor(log, "/zelta.dl_ ");
  ASSERT_EQ(library.size(), 2u);
  EXPECT_EQ(library[1].status, 206);
  EXPECT_LE(BytesSentFor(log, "/zelta.dl_ "), static_cast<long long>(2 * dist.library.size() + 2));

  EXPECT_EQ(InstallState.ProgressDone, dist.ChosenBytes());
  double last = -1.0;
  for (const std::string& percent : dialog.TextsOf(IDC_PERCENT)) {
    EXPECT_GE(atof(percent.c_str()), last) << percent;
    last = atof(percent.c_str());
  }
  EXPECT_EQ(dialog.CurrentText(IDC_PERCENT), " 50.0%");
}

// A server that ignores the range, or whose file changed meanwhile, gets
// the file asked for whole: never a file stitched from two versions.
TEST_F(DownloadTest, AnswersThatCannotContinueTheStoredBytesRestartTheFile) {
  Prepare();
  for (const char* fault : {"drop 300000\nignore-range", "old-drop 300000\nnone"}) {
    RemoveTree(LocalRoot);
    ASSERT_FALSE(CreateDownloadFolders());
    InstallState.ProgressDone = 0;
    size_t from = ServerAccessLog().size();
    SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", fault);
    RecordingDialog dialog;
    EXPECT_TRUE(DownloadDistribution()) << fault;
    EXPECT_TRUE(DownloadReachedNormalEnd()) << fault;
    EXPECT_TRUE(LocalContent("Disc_01\\big.bin") == dist.big) << fault;
    std::vector<LoggedRequest> big = RequestsFor(ServerAccessLog().substr(from), "/big.bin ");
    ASSERT_EQ(big.size(), 2u) << fault;
    EXPECT_EQ(big[1].status, 200) << fault;
    EXPECT_EQ(big[1].bytes, static_cast<long long>(dist.big.size())) << fault;
    EXPECT_EQ(InstallState.ProgressDone, dist.ChosenBytes()) << fault;  // the restart counted nothing twice
  }
}

// Answers worth another try are tried again (a 503 once); permanent ones
// (404) are given up at once, and a body that stops bringing anything
// after three more tries that brought nothing.
TEST_F(DownloadTest, OnlyAnswersWorthItAreTriedAgain) {
  Prepare();
  struct Case {
    const char* fault;
    bool fails;
    size_t requests;
    TransferOutcome outcome;
    int status;
  } cases[] = {
      {"status 503\nnone", false, 2, TransferDone, 0},
      {"status 404", true, 1, TransferStatus, 404},
      {"status 500", true, 4, TransferStatus, 500},
      {"short 1000\nshort 0", true, 4, TransferConnectionLost, 206},
  };
  for (const Case& c : cases) {
    RemoveTree(LocalRoot);
    ASSERT_FALSE(CreateDownloadFolders());
    ClearDownloadFailure();
    size_t from = ServerAccessLog().size();
    SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", c.fault);
    EXPECT_EQ(DownloadDistribution() && !DownloadReachedNormalEnd(), c.fails) << c.fault;
    EXPECT_EQ(LoggedRequestsFor(from, "/big.bin ", c.requests).size(), c.requests) << c.fault;
    EXPECT_EQ(DownloadFailure.Failed, c.fails) << c.fault;
    if (c.fails) {
      EXPECT_EQ(DownloadFailure.Outcome, c.outcome) << c.fault;
      EXPECT_EQ(DownloadFailure.Status, c.status) << c.fault;
    }
  }
  // The first answer brought 1000 bytes, the three after it none.
  EXPECT_EQ(LocalContent("Disc_01\\big.bin"), dist.big.substr(0, 1000));
}

// A line that drops every 250000 bytes: every try brings the file further
// and renews its tries, so the six it takes are all made and it arrives
// whole, each byte sent once.
TEST_F(DownloadTest, AFileThatDropsEveryFewBytesStillArrives) {
  Prepare();
  SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", "drop 250000");
  size_t from = ServerAccessLog().size();
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_FALSE(DownloadFailure.Failed);
  EXPECT_TRUE(LocalContent("Disc_01\\big.bin") == dist.big);
  std::string log = ServerAccessLog().substr(from);
  std::vector<LoggedRequest> big = RequestsFor(log, "/big.bin ");
  ASSERT_EQ(big.size(), 6u);
  EXPECT_EQ(big[0].status, 200);
  for (size_t i = 1; i < big.size(); ++i) EXPECT_EQ(big[i].status, 206) << i;
  EXPECT_EQ(BytesSentFor(log, "/big.bin "), static_cast<long long>(dist.big.size()));
}

// Only 404 and 410 for a later disc's file list end the distribution; any
// other answer that is not tried again is a failure with its reason.
TEST_F(DownloadTest, OnlyAMissingFileListEndsTheDistribution) {
  Prepare();
  struct Case {
    std::string fault;
    bool normalEnd;
    TransferOutcome outcome;
  } cases[] = {
      {"status 404", true, TransferDone},
      {"status 410", true, TransferDone},
      {"status 403", false, TransferStatus},
      {"status 401", false, TransferStatus},
      {"zero-length", false, TransferBadAnswer},
      {std::string("redirect http://") + DownloadHost() + "/UpDate-V9.20/VarnelDemo/Disc_02/Fajls_2.ini", false,
       TransferBadAnswer},
  };
  for (const Case& c : cases) {
    ClearDownloadFailure();
    SetFault(WebSite, "VarnelDemo/Disc_02/Fajls_2.ini", c.fault);
    EXPECT_TRUE(DownloadDistribution()) << c.fault;
    EXPECT_EQ(DownloadReachedNormalEnd(), c.normalEnd) << c.fault;
    EXPECT_EQ(DownloadFailure.Failed, !c.normalEnd) << c.fault;
    if (!c.normalEnd) {
      EXPECT_EQ(DownloadFailure.Outcome, c.outcome) << c.fault;
      EXPECT_STREQ(DownloadFailure.File, "Disc_02/Fajls_2.ini") << c.fault;
    }
  }
}

// A file stored whole by an earlier run is asked for only if it changed:
// the server's 304 keeps it, and the bar still counts it.
TEST_F(DownloadTest, CompleteFileOfAnEarlierRunIsKeptWhenUnchanged) {
  Prepare();
  EXPECT_TRUE(DownloadDistribution());
  ASSERT_EQ(LocalContent("Disc_01\\big.bin"), dist.big);
  InstallState.ProgressDone = 0;
  size_t from = ServerAccessLog().size();
  RecordingDialog dialog;
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  std::string log = ServerAccessLog().substr(from);
  std::vector<LoggedRequest> big = RequestsFor(log, "/big.bin ");
  ASSERT_EQ(big.size(), 1u);
  EXPECT_EQ(big[0].status, 304);
  EXPECT_EQ(BytesSentFor(log, "/big.bin "), 0);
  EXPECT_EQ(LocalContent("Disc_01\\big.bin"), dist.big);
  EXPECT_EQ(LocalContent("Disc_02\\zelta.dl_"), dist.library);
  EXPECT_EQ(InstallState.ProgressDone, dist.ChosenBytes());
}

// A server that goes dark (it never answers, writes on or closes, whatever
// the installer does) while a request waits for its answer, or half way
// through the body: the user's cancel ends the wait within seconds on the
// worker's own (nothing else wakes it), and the run reports no failure.
TEST_F(DownloadTest, CancelEndsAWaitForADarkServer) {
  Prepare();
  for (const char* fault : {"dark", "dark-after 1000"}) {
    RemoveTree(LocalRoot);
    ASSERT_FALSE(CreateDownloadFolders());
    ClearDownloadFailure();
    InstallState.CancelRequested = 0;
    SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", fault);
    size_t from = FaultServerLog().size();
    std::atomic<bool> wentDark{false};
    std::atomic<DWORD> cancelledAt{0};
    std::thread user([&] {
      wentDark = WaitForFaultLog("/big.bin fault=" + std::string(fault) + " attempt=1 status=", from, 20000);
      cancelledAt = GetTickCount();
      InstallState.CancelRequested = 1;
    });
    bool failed = DownloadDistribution();
    DWORD returnedAt = GetTickCount();
    user.join();
    EXPECT_TRUE(wentDark) << fault;
    EXPECT_TRUE(failed) << fault;
    EXPECT_LT(returnedAt - cancelledAt, 5000u) << fault;
    EXPECT_FALSE(DownloadFailure.Failed) << fault;
    EXPECT_FALSE(PathExists(Local("Disc_01\\help.txt"))) << fault;
  }
  InstallState.CancelRequested = 0;
}

// A body that goes dark half way, past the first chunk: after the stall
// limit the file is asked for again from the bytes that did arrive, every
// one of them (those of the unfinished chunk too), and the second answer
// completes it.
TEST_F(DownloadTest, BodyGoingDarkHalfWayGoesOnFromEveryByteThatArrived) {
  Prepare();
  const size_t cut = 700000;
  SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", "dark-after " + std::to_string(cut) + "\nnone");
  size_t from = ServerAccessLog().size();
  size_t faultsFrom = FaultServerLog().size();
  RecordingDialog dialog;
  DWORD start = GetTickCount();
  EXPECT_TRUE(DownloadDistribution());
  DWORD took = GetTickCount() - start;
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_FALSE(DownloadFailure.Failed);
  EXPECT_TRUE(LocalContent("Disc_01\\big.bin") == dist.big);
  EXPECT_NE(FaultServerLog().find("sent=" + std::to_string(cut) + " end=dark", faultsFrom), std::string::npos);
  // The dark answer is logged when the server stops; the second one is the
  // exact rest.
  std::vector<LoggedRequest> big = RequestsFor(ServerAccessLog().substr(from), "/big.bin ");
  ASSERT_EQ(big.size(), 1u);
  EXPECT_EQ(big[0].status, 206);
  EXPECT_EQ(big[0].bytes, static_cast<long long>(dist.big.size() - cut));
  EXPECT_EQ(InstallState.ProgressDone, dist.ChosenBytes());
  EXPECT_GE(took, NetworkStallLimitMs);
  EXPECT_LT(took, NetworkStallLimitMs + 30000);
}

TEST_F(DownloadTest, SourceNamesLeavingTheDiscFolderAreRefused) {
  Prepare();
  WriteSiteFile(WebSite, "evil.txt", "evil");
  for (const char* source : {"\\..\\..\\..\\evil.txt", "\\Systems\\..\\..\\x.txt", "\\C:\\evil.txt",
                             "\\\\server\\share\\evil.txt", "\\a:stream"}) {
    WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Fajls_1.ini",
                  std::string("[Disc]\r\nName=Egyes lemez\r\n[Setup]\r\nFile1=") + source + " \\x\r\n");
    EXPECT_TRUE(DownloadDistribution()) << source;
    EXPECT_FALSE(DownloadReachedNormalEnd()) << source;
  }
  EXPECT_FALSE(PathExists("C:\\WebTestRoot\\evil.txt"));
  EXPECT_FALSE(PathExists("C:\\WebTestRoot\\ZeltaWin32\\evil.txt"));
  EXPECT_FALSE(PathExists("C:\\evil.txt"));
}

TEST_F(DownloadTest, DownloadFoldersOnAMissingDriveFail) {
  dist.Publish(WebSite);
  OpenSecure();
  InstallState.TargetDrive = 17;  // Q: is not mapped in the test prefix
  TextCopy(InstallState.BasePath, "Q:\\");
  ASSERT_FALSE(FetchCatalogue());
  EXPECT_TRUE(CreateDownloadFolders());
  // The ending says which folder, and why.
  ASSERT_TRUE(DownloadFailure.Failed);
  EXPECT_EQ(DownloadFailure.Outcome, TransferFolder);
  EXPECT_STREQ(DownloadFailure.File, "Q:\\WebTestRoot");
  EXPECT_EQ(FailureHeadStringId(DownloadFailure.Outcome), IDS_FOLDER_FAILED);
  EXPECT_EQ(FailureReasonStringId(DownloadFailure.Outcome, 0), IDS_REASON_FOLDER);
}

// ------------------------------------------------------------ checksums

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string RecordOf(const std::string& path) {
  std::string text;
  ReadLocalFile(path + ".dlinfo", &text);
  return text;
}

// With checksum lists every file is checked, and one changed on the way
// once is fetched again from zero: the run goes on.
TEST_F(DownloadTest, ChecksumListsCheckEveryFile) {
  dist.PublishChecksums(WebSite);
  Prepare();
  // One bit of byte 700001 of the first answer, then the good file.
  SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", "flip 700001\nnone");
  SetFault(WebSite, "VarnelDemo/Disc_02/zelta.dl_", "flip 1001\nnone");  // a real byte of the filtered file
  size_t from = ServerAccessLog().size();
  RecordingDialog dialog;
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_FALSE(DownloadFailure.Failed);
  EXPECT_TRUE(LocalContent("Disc_01\\big.bin") == dist.big);
  EXPECT_EQ(LocalContent("Disc_02\\zelta.dl_"), dist.library);
  std::string log = ServerAccessLog().substr(from);
  for (const char* file : {"/big.bin ", "/zelta.dl_ "}) {
    std::vector<LoggedRequest> tries = RequestsFor(log, file);
    ASSERT_EQ(tries.size(), 2u) << file;
    EXPECT_EQ(tries[1].status, 200) << file;  // from zero, not a range of the changed bytes
  }
  EXPECT_EQ(RequestsFor(log, "/help.txt ").size(), 1u);
  // The bar counted every byte once.
  EXPECT_EQ(InstallState.ProgressDone, dist.ChosenBytes());
}

// A file that comes changed every time fails the run after its second
// download; one the list does not name, or a list with a line the
// installer cannot read, fails it before any download of the disc.
TEST_F(DownloadTest, ContentThatDoesNotMatchFailsTheRun) {
  dist.PublishChecksums(WebSite);
  Prepare();
  struct Case {
    const char* what;
    std::string sums1;
    const char* fault;
    TransferOutcome outcome;
    const char* file;
    size_t bigRequests;
  } cases[] = {
      {"changed on the way every time", dist.sums1, "flip 5", TransferBadContent, "Disc_01/big.bin", 2},
      {"not in the list", dist.sums1.substr(0, dist.sums1.find("\\big.bin")) + "\\other.bin\r\n", "",
       TransferNoChecksum, "Disc_01/big.bin", 0},
      {"listed twice, differently", dist.sums1 + TwoDiscs::Line("x", "big.bin"), "", TransferNoChecksum,
       "Disc_01/big.bin", 0},
      {"a line that is none", dist.sums1 + "big.bin 1300000\r\n", "", TransferBadChecksumList,
       "Disc_01/Fajls_1.sha256", 0},
  };
  for (const Case& c : cases) {
    RemoveTree(LocalRoot);
    ASSERT_FALSE(CreateDownloadFolders());
    ClearDownloadFailure();
    WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Fajls_1.sha256", c.sums1);
    SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", c.fault);
    size_t from = ServerAccessLog().size();
    EXPECT_TRUE(DownloadDistribution()) << c.what;
    EXPECT_FALSE(DownloadReachedNormalEnd()) << c.what;
    ASSERT_TRUE(DownloadFailure.Failed) << c.what;
    EXPECT_EQ(DownloadFailure.Outcome, c.outcome) << c.what;
    EXPECT_STREQ(DownloadFailure.File, c.file) << c.what;
    EXPECT_EQ(LoggedRequestsFor(from, "/big.bin ", c.bigRequests).size(), c.bigRequests) << c.what;
    EXPECT_FALSE(PathExists(Local("Disc_01\\help.txt"))) << c.what;  // the download stopped there
  }
  // A list the server refuses is no missing list: the run fails.
  RemoveTree(LocalRoot);
  ASSERT_FALSE(CreateDownloadFolders());
  ClearDownloadFailure();
  SetFault(WebSite, "VarnelDemo/Disc_01/big.bin", "");
  SetFault(WebSite, "VarnelDemo/Disc_01/Fajls_1.sha256", "status 403");
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_FALSE(DownloadReachedNormalEnd());
  EXPECT_EQ(DownloadFailure.Outcome, TransferStatus);
  EXPECT_STREQ(DownloadFailure.File, "Disc_01/Fajls_1.sha256");
  EXPECT_FALSE(PathExists(Local("Disc_01\\setup.ex_")));
}

// A file changed on the server between two runs without its validators
// changing (same size, same time): the server keeps the stored copy with a
// 304, and the checksum list, published anew, tells it is no longer right.
TEST_F(DownloadTest, FileChangedOnTheServerBetweenRunsIsFetchedAgain) {
  dist.PublishChecksums(WebSite);
  Prepare();
  EXPECT_TRUE(DownloadDistribution());
  ASSERT_EQ(LocalContent("Disc_01\\big.bin"), dist.big);

  std::string site = UpdateFolder(WebSite) + "\\VarnelDemo\\Disc_01\\big.bin";
  HANDLE file = CreateFileA(site.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME written;
  ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  dist.big = TestBytes(dist.big.size(), 77);
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/big.bin", dist.big);
  file = CreateFileA(site.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  dist.PublishChecksums(WebSite);

  InstallState.ProgressDone = 0;
  size_t from = ServerAccessLog().size();
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_FALSE(DownloadFailure.Failed);
  EXPECT_TRUE(LocalContent("Disc_01\\big.bin") == dist.big);
  std::vector<LoggedRequest> big = RequestsFor(ServerAccessLog().substr(from), "/big.bin ");
  ASSERT_EQ(big.size(), 2u);
  EXPECT_EQ(big[0].status, 304);  // the validators did not tell
  EXPECT_EQ(big[1].status, 200);
  // Files that did not change were kept, each checked.
  std::vector<LoggedRequest> help = RequestsFor(ServerAccessLog().substr(from), "/help.txt ");
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].status, 304);
}

// ------------------------------------------------------------ records

// Bytes stored by a plain-HTTP run are neither resumed nor kept by a secure
// one, whatever the validators say: both hosts are one nginx here, with
// equal tags. The records name their origin.
TEST_F(DownloadTest, RecordOfAnotherSchemeIsNotUsed) {
  dist.Publish(DownloadSite);
  Prepare();
  // A plain run: one file cut short (with its record), the others whole.
  CloseSession();
  InstallState.SecureMode = 0;
  ASSERT_FALSE(OpenSession(0, DownloadHost(), "", ""));
  SetFault(DownloadSite, "VarnelDemo/Disc_01/big.bin", "drop 300000\nstatus 404");
  size_t plainFrom = ServerAccessLog().size();
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_FALSE(DownloadReachedNormalEnd());
  // Both of the plain run's answers are logged before the secure run counts.
  ASSERT_EQ(LoggedRequestsFor(plainFrom, "/big.bin ", 2).size(), 2u);
  ASSERT_EQ(LocalContent("Disc_01\\big.bin").size(), 300000u);
  EXPECT_TRUE(StartsWith(RecordOf(Local("Disc_01\\big.bin")), std::string("Origin=http://") + DownloadHost() + "\r\n"))
      << RecordOf(Local("Disc_01\\big.bin"));
  ASSERT_EQ(LocalContent("Disc_01\\setup.ex_"), "ABC");

  // The secure run asks for every file whole, and records its own origin.
  CloseSession();
  OpenSecure();
  ClearDownloadFailure();
  size_t from = ServerAccessLog().size();
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  std::string log = ServerAccessLog().substr(from);
  for (const char* file : {"/big.bin ", "/setup.ex_ "}) {
    std::vector<LoggedRequest> tries = RequestsFor(log, file);
    ASSERT_EQ(tries.size(), 1u) << file;
    EXPECT_EQ(tries[0].status, 200) << file;
  }
  EXPECT_TRUE(LocalContent("Disc_01\\big.bin") == dist.big);
  EXPECT_TRUE(StartsWith(RecordOf(Local("Disc_01\\big.bin")), std::string("Origin=https://") + WebHost() + "\r\n"))
      << RecordOf(Local("Disc_01\\big.bin"));
}

// A record cut short (or an older installer's, without its end mark) says
// nothing: the file is fetched whole again, and its new record is whole.
TEST_F(DownloadTest, RecordCutShortIsIgnored) {
  Prepare();
  EXPECT_TRUE(DownloadDistribution());
  std::string record = RecordOf(Local("Disc_01\\big.bin"));
  ASSERT_GE(record.size(), 5u);
  EXPECT_EQ(record.substr(record.size() - 5), "End\r\n");
  for (size_t cut : {record.size() - 2, record.size() - 5, static_cast<size_t>(20)}) {
    HANDLE file = CreateFileA((Local("Disc_01\\big.bin") + ".dlinfo").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(cut), &written, nullptr);
    CloseHandle(file);
    size_t from = ServerAccessLog().size();
    EXPECT_TRUE(DownloadDistribution()) << cut;
    std::vector<LoggedRequest> big = RequestsFor(ServerAccessLog().substr(from), "/big.bin ");
    ASSERT_EQ(big.size(), 1u) << cut;
    EXPECT_EQ(big[0].status, 200) << cut;
    EXPECT_EQ(RecordOf(Local("Disc_01\\big.bin")), record) << cut;
  }
}

// ----------------------------------------------------------- connection

TEST_F(WebTest, SecureHostIsPreferred) {
  EXPECT_TRUE(ConnectToVendor());
  EXPECT_EQ(InstallState.SecureMode, 1);
  ASSERT_EQ(StatusLogCount(), 1u);
  EXPECT_STREQ(StatusLogEntry(0)->text, "[A] A kapcsolat megnyitott 'Https' biztonságos módban!");
  EXPECT_EQ(StatusLogEntry(0)->level, 4);
}

TEST_F(WebTest, RefusedSecureProbeFallsBackToPlainHttp) {
  SetFault(WebSite, "Update.ini", "status 404");
  EXPECT_TRUE(ConnectToVendor());
  EXPECT_EQ(InstallState.SecureMode, 0);
  ASSERT_EQ(StatusLogCount(), 2u);
  EXPECT_STREQ(StatusLogEntry(0)->text, "Nincs engedélyezett olvasás és letöltés 'Https' biztonságos kapcsolattal!");
  EXPECT_STREQ(StatusLogEntry(1)->text, "A kapcsolat megnyitott 'Http' módban!");
  // The plain host serves the whole download.
  TwoDiscs dist;
  dist.Publish(DownloadSite);
  ASSERT_FALSE(FetchCatalogue());
  ASSERT_FALSE(CreateDownloadFolders());
  RecordingDialog dialog;
  EXPECT_TRUE(DownloadDistribution());
  EXPECT_TRUE(DownloadReachedNormalEnd());
  EXPECT_EQ(dialog.TextsOf(IDC_FILE_LINE)[0], "http://... .../VarnelDemo/Disc_01/setup.ex_");
  std::string content;
  ASSERT_TRUE(ReadLocalFile(std::string(DownloadArea) + "Disc_02\\zelta.dl_", &content));
  EXPECT_EQ(content, dist.library);
}

TEST_F(WebTest, NeitherHostUsable) {
  SetFault(WebSite, "Update.ini", "status 404");
  SetFault(DownloadSite, "Update.ini", "html");
  EXPECT_FALSE(ConnectToVendor());
  ASSERT_EQ(StatusLogCount(), 2u);
  EXPECT_STREQ(StatusLogEntry(1)->text, "Nincs engedélyezett olvasás és letöltés 'Http' kapcsolattal!");
  EXPECT_EQ(SessionHandle(), nullptr);
}

// Run with the HTTPS port closed (vendor-net.sh --no-https).
TEST_F(WebTest, NoHttps_RefusedConnectionFallsBackToPlainHttp) {
  EXPECT_TRUE(ConnectToVendor());
  EXPECT_EQ(InstallState.SecureMode, 0);
  ASSERT_EQ(StatusLogCount(), 2u);
  EXPECT_STREQ(StatusLogEntry(0)->text, "Nincs engedélyezett olvasás és letöltés 'Https' biztonságos kapcsolattal!");
  EXPECT_STREQ(StatusLogEntry(1)->text, "A kapcsolat megnyitott 'Http' módban!");
}

// Run with no server at all (vendor-net.sh --no-https --no-http).
TEST_F(WebTest, NoServer_NoConnection) {
  EXPECT_FALSE(ConnectToVendor());
  EXPECT_EQ(InstallState.SecureMode, 0);
  ASSERT_EQ(StatusLogCount(), 2u);
  EXPECT_STREQ(StatusLogEntry(1)->text, "Nincs engedélyezett olvasás és letöltés 'Http' kapcsolattal!");
}

}  // namespace
