// The real installer against a vendor server that answers badly: error
// statuses, missing or false lengths, bodies cut short, a probe answered
// with a web page, a redirect to plain HTTP, a slow drip. Each run must
// reach the ending the installer defines for it, show exactly the expected
// messages and write nothing beside its root.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/fault_case.h"
#include "tests/win/test_site.h"

namespace {

const char Catalogue[] = "VarnelDemo/Disc_01/Install.ini";
const char FileList1[] = "VarnelDemo/Disc_01/Fajls_1.ini";
const char FileList2[] = "VarnelDemo/Disc_02/Fajls_2.ini";
const char Probe[] = "Update.ini";
// The second file of the Systems component on disc 1 (1300000 bytes); the
// setup files and ZeltaWin32.exe come before it, ex_zelta32.dll after it.
const char BigFile[] = "VarnelDemo/Disc_01/Systems/bin/zelta.exe";
const size_t BigFileSize = 1300000;

// Request lines in the server's log, by host: the web host serves below
// /Download/UpDate-V9.20, the download host below /UpDate-V9.20.
const char WebRequest[] = "GET /Download/UpDate-V9.20/";
const char PlainRequest[] = "GET /UpDate-V9.20/";

std::string WebGet(const std::string& relative) {
  return WebRequest + relative + " ";
}
std::string PlainGet(const std::string& relative) {
  return PlainRequest + relative + " ";
}

const char InsertDisc2[] =
    "A(z) C:\\V92EDemo\\ZeltaWin32\\Install\\ meghajtóba a -' ZeltaCAD 9.21 Demó – 2. lemez '- jelű flopyt "
    "helyezze be!";
const char WrongDisc2[] =
    "A(z) C:\\V92EDemo\\ZeltaWin32\\Install\\ meghajtóban NEM a -' ZeltaCAD 9.21 Demó – 2. lemez '- jelű flopyt "
    "van, vagy más hiba! Folytatja?";

class ServerFault : public FaultCase {};

// A distribution file of disc 1 that the server refuses or announces
// wrongly: the download stops at it, the worker ends the run as cancelled,
// no message is shown, nothing is installed, and the plain host is never
// asked for it instead.
TEST_F(ServerFault, UnusableAnswerForADiscFileCancelsTheRun) {
  for (const char* fault : {"status 404", "status 403", "status 500", "zero-length", "no-length", "chunked"}) {
    SCOPED_TRACE(fault);
    Fault(WebSite, BigFile, fault);
    RunOutcome run = Run();
    ExpectCancelled(run);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(run.Requested(WebGet(BigFile)));
    EXPECT_FALSE(run.Requested(PlainGet(BigFile)));
    EXPECT_FALSE(run.Requested("ex_zelta32.dll"));  // the download stopped at the refused file
    // The file before it is complete; the refused one was not even created.
    EXPECT_TRUE(Downloaded("Disc_01\\Systems\\ZeltaWin32.exe") == Expected("ZeltaWin32\\ZeltaWin32.exe"));
    EXPECT_EQ(Downloaded("Disc_01\\Systems\\bin\\zelta.exe"), "<missing>");
    EXPECT_EQ(Installed("ZeltaWin32\\ZeltaWin32.exe"), "<missing>");
    RestoreSite();
  }
}

// A body shorter than its Content-Length (the server stops, or the
// connection is dropped): the transfer counts as broken, not complete.
TEST_F(ServerFault, BodyShorterThanAnnouncedCancelsTheRun) {
  for (const char* fault : {"short 1000", "drop 600000"}) {
    SCOPED_TRACE(fault);
    Fault(WebSite, BigFile, fault);
    RunOutcome run = Run();
    ExpectCancelled(run);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(run.Requested("ex_zelta32.dll"));
    // What arrived stays in the download area only, as the first bytes of
    // the file.
    std::string partial = Downloaded("Disc_01\\Systems\\bin\\zelta.exe");
    ASSERT_NE(partial, "<missing>");
    EXPECT_GT(partial.size(), 0u);
    EXPECT_LT(partial.size(), BigFileSize);
    EXPECT_TRUE(Expected("ZeltaWin32\\Bin\\zelta.exe").compare(0, partial.size(), partial) == 0);
    if (std::string(fault) == "short 1000") {
      EXPECT_EQ(partial.size(), 1000u);
    }
    EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");
    RestoreSite();
  }
}

// The catalogue cannot be read: the run ends as cancelled before any
// folder is made, and without a message.
TEST_F(ServerFault, UnreadableCatalogueCancelsBeforeAnythingIsWritten) {
  for (const char* fault : {"status 404", "short 100", "no-length", "zero-length"}) {
    SCOPED_TRACE(fault);
    Fault(WebSite, Catalogue, fault);
    RunOutcome run = Run();
    ExpectCancelled(run);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(PathExists(SampleRoot));
    EXPECT_FALSE(run.Requested("Fajls_"));
    RestoreSite();
  }
}

// The file list of disc 1 missing or cut short: nothing of the disc is
// fetched and the run ends as cancelled.
TEST_F(ServerFault, UnreadableFirstFileListCancelsTheRun) {
  for (const char* fault : {"status 404", "short 50"}) {
    SCOPED_TRACE(fault);
    Fault(WebSite, FileList1, fault);
    RunOutcome run = Run();
    ExpectCancelled(run);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(run.Requested("Setup/setup.ini"));
    EXPECT_EQ(Downloaded("Disc_01\\Fajls_1.ini"), "<missing>");
    RestoreSite();
  }
}

// A missing file list of disc 2 is where the distribution ends for the
// download; disc 1 is installed, then the installer asks for the disc the
// catalogue names, rechecks on OK and stops on Cancel.
TEST_F(ServerFault, MissingSecondFileListAsksForTheDisc) {
  Fault(WebSite, FileList2, "status 404");
  RunOutcome run = Run({IDOK, IDCANCEL});
  ExpectCancelled(run);
  EXPECT_EQ(run.Texts(), (std::vector<std::string>{InsertDisc2, WrongDisc2}));
  ASSERT_EQ(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[0].caption, "ZeltaCAD telepités");
  // The download ended there: no list of disc 2 saved, no later disc asked for.
  EXPECT_EQ(Downloaded("Disc_02\\Fajls_2.ini"), "<missing>");
  EXPECT_FALSE(run.Requested("Disc_02/Drawings"));
  EXPECT_FALSE(run.Requested("Disc_03/"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), Expected("ZeltaWin32\\Bin\\zelta.exe"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta32.dll"), Expected("ZeltaWin32\\Bin\\zelta32.dll"));
  EXPECT_EQ(Installed("ZeltaWin32\\Rajzok\\Minta rajz 1.zdw"), "<missing>");
}

// The same list present but cut short is a broken transfer, not the end of
// the distribution: cancelled at once, nothing installed, nothing asked.
TEST_F(ServerFault, ShortSecondFileListCancelsTheRun) {
  Fault(WebSite, FileList2, "short 20");
  RunOutcome run = Run();
  ExpectCancelled(run);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");
}

// A sign-in page instead of the probe on the secure host: the plain host
// takes over and serves the whole installation.
TEST_F(ServerFault, ProbeAnsweredWithAPageOnTheSecureHostFallsBackToPlain) {
  Fault(WebSite, Probe, "html");
  RunOutcome run = Run();
  ExpectSuccess(run);
  EXPECT_TRUE(run.messages.empty());
  ExpectWholeSampleInstalled();
  EXPECT_TRUE(run.Requested(WebGet(Probe)));
  EXPECT_TRUE(run.Requested(PlainGet(Probe)));
  EXPECT_TRUE(run.Requested(PlainGet(Catalogue)));
  EXPECT_FALSE(run.Requested(WebRequest + std::string("VarnelDemo/")));
}

// The same page on both hosts: no usable server, the no-connection ending,
// and no file of the distribution is asked for.
TEST_F(ServerFault, ProbeAnsweredWithAPageOnBothHostsEndsWithoutConnection) {
  Fault(WebSite, Probe, "html");
  Fault(DownloadSite, Probe, "html");
  RunOutcome run = Run();
  ExpectNoConnection(run);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_TRUE(run.Requested(WebGet(Probe)));
  EXPECT_TRUE(run.Requested(PlainGet(Probe)));
  EXPECT_FALSE(run.Requested("VarnelDemo/"));
}

// A slow drip on a small file and on a file list: the run only takes
// longer and installs everything.
TEST_F(ServerFault, SlowDripOnSmallFilesStillSucceeds) {
  Fault(WebSite, "VarnelDemo/Disc_02/Drawings/minta1.zdw", "slow 50");  // 70000 bytes: 18 pieces
  Fault(WebSite, FileList2, "slow 50");
  RunOutcome run = Run();
  ExpectSuccess(run);
  EXPECT_TRUE(run.messages.empty());
  ExpectWholeSampleInstalled();
  EXPECT_GT(run.milliseconds, 800u);  // the drip really was slow
  EXPECT_LT(run.milliseconds, 30000u);
}

// A redirect from the secure host to plain HTTP, which WinINet follows by
// itself: a file of the secure host must not arrive over an unprotected
// connection. The answer is refused like a missing file: the run is
// cancelled and nothing of it is stored or installed.
TEST_F(ServerFault, RedirectToPlainHttpIsRefused) {
  Fault(WebSite, BigFile, std::string("redirect http://" ZELTA_DOWNLOAD_HOST "/UpDate-V9.20/") + BigFile);
  RunOutcome run = Run();
  ExpectCancelled(run);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_TRUE(run.Requested(WebGet(BigFile)));
  EXPECT_EQ(Downloaded("Disc_01\\Systems\\bin\\zelta.exe"), "<missing>");
  EXPECT_FALSE(run.Requested("ex_zelta32.dll"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");
}

// The probe of the secure host redirected to plain HTTP does not make that
// host usable: the plain attempt follows, and every file comes from the
// download host, openly in plain mode.
TEST_F(ServerFault, ProbeRedirectedToPlainHttpMeansThePlainAttempt) {
  Fault(WebSite, Probe, "redirect http://" ZELTA_DOWNLOAD_HOST "/UpDate-V9.20/Update.ini");
  RunOutcome run = Run();
  ExpectSuccess(run);
  EXPECT_TRUE(run.messages.empty());
  ExpectWholeSampleInstalled();
  EXPECT_TRUE(run.Requested(WebGet(Probe)));
  EXPECT_TRUE(run.Requested(PlainGet(Catalogue)));
  EXPECT_FALSE(run.Requested(WebRequest + std::string("VarnelDemo/")));
}

}  // namespace
