// The progress dialog and the install worker, run as a user sees them:
// the real dialog under Wine, a loopback vendor server, and a "user" thread
// that watches the dialog, reads its items and presses its button.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/progress_dialog.h"
#include "resources/resource_ids.h"
#include "tests/win/install_test_support.h"
#include "tests/win/message_box_answerer.h"
#include "tests/win/test_site.h"
#include "tests/win/wait_until.h"
#include "web/internet_session.h"
#include "web/status_log.h"

namespace {

const char DialogCaption[] = "ZeltaCAD DEMO letöltés a WEB-ről:";
const char Root[] = "C:\\WorkerRoot";
const char RecordKey[] = "Software\\ZeltaSoft\\ZeltaCAD Teszt";

struct WorkerDistribution {
  std::string setupReal = TestBytes(5000, 11);
  std::string big = TestBytes(3 * 512000 + 17, 12);
  std::string data = "adatok\r\n";

  void Publish(SiteHost host) {
    std::string catalogue =
        "[System]\r\nRootDirectory=WorkerRoot\r\nCadSystem=ZeltaCAD Teszt\r\nSubSystem=Demo\r\nVersion=9.21\r\n"
        "[Disc01]\r\nName=Egyes lemez\r\nSetup=" + std::to_string(setupReal.size()) +
        "\r\nSystems=" + std::to_string(big.size() + data.size()) + "\r\n"
        "[Directorys]\r\nDir1=\\ZeltaWin32\r\nDir2=\\ZeltaWin32\\Bin\r\nDir3=\\Data\r\n"
        "[RegistryCommand]\r\nFileType1=.zlt\r\nClassName1=ZeltaTeszt.Document\r\nExeFile1=ZeltaWin32.exe\r\n";
    std::string list =
        "[Disc]\r\nName=Egyes lemez\r\n"
        "[Setup]\r\nFile1=\\setup.ex_ *?\\ZeltaWin32\\setup.exe\r\n"
        "[Systems]\r\nFile1=\\Bin\\big.bin \\ZeltaWin32\\Bin\\big.bin\r\nFile2=\\data.txt \\Data\\data.txt\r\n";
    WriteSiteFile(host, "VarnelDemo/Disc_01/Install.ini", catalogue);
    WriteSiteFile(host, "VarnelDemo/Disc_01/Fajls_1.ini", list);
    WriteSiteFile(host, "VarnelDemo/Disc_01/setup.ex_", Interleave(setupReal));
    WriteSiteFile(host, "VarnelDemo/Disc_01/Bin/big.bin", big);
    WriteSiteFile(host, "VarnelDemo/Disc_01/data.txt", data);
  }
};

// What the user saw of the dialog.
struct Observation {
  std::vector<std::string> phases;  // distinct phase lines in order
  std::string message;              // the message area at the end
  std::string button;               // the button's text at the end
  bool buttonEnabled = false;
  std::atomic<bool> barVisibleDuringDownload{false};  // read by the user thread too
  bool barMarquee = false;           // the marquee style seen on the bar
  int barAgreesWithPercent = 0;      // samples where position and percent match
};

class InstallWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    StatusLogClear();
    InstallState.Instance = GetModuleHandleA(nullptr);
    LoadStringA(InstallState.Instance, IDS_CAPTION, InstallState.Caption, CaptionSize);
    TextCopy(InstallState.WindowsDirectory, "C:\\WorkerWindows");
    InstallState.TargetDrive = 3;
    InstallState.StartAfterInstall = 0;
    for (int c = 0; c < ComponentCount; ++c) InstallState.ComponentChosen[c] = 1;
    ClearSite();
    WriteProbe(WebSite);
    WriteProbe(DownloadSite);
    RemoveTree(Root);
    DeleteMachineKey(RecordKey);
    DeleteMachineKey("Software\\Classes\\.zlt");
    DeleteMachineKey("Software\\Classes\\ZeltaTeszt.Document");
    // The setup dialog stands behind the progress dialog.
    setup_ = CreateWindowExA(0, "STATIC", "setup stand-in", WS_POPUP | WS_VISIBLE, 100, 100, 500, 400, nullptr,
                             nullptr, InstallState.Instance, nullptr);
    CreateWindowExA(0, "BUTTON", "Telepítés", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, setup_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), InstallState.Instance, nullptr);
  }
  void TearDown() override {
    if (IsWindow(setup_)) DestroyWindow(setup_);
    ClearSite();
    RemoveTree(Root);
    DeleteMachineKey(RecordKey);
    DeleteMachineKey("Software\\Classes\\.zlt");
    DeleteMachineKey("Software\\Classes\\ZeltaTeszt.Document");
  }

  // Runs the dialog on this thread while `user` acts from another one.
  // Returns the dialog's result.
  INT_PTR Run(const std::function<void(HWND dialog)>& user) {
    std::atomic<bool> done{false};
    std::thread watcher([&] {
      HWND dialog = nullptr;
      WaitUntil([&] {
        dialog = FindWindowA("#32770", DialogCaption);
        return done || (dialog != nullptr && IsWindowVisible(dialog));
      });
      if (dialog == nullptr || !IsWindowVisible(dialog)) return;
      Watch(dialog, user, done);
    });
    INT_PTR result = RunProgressDialog(setup_);
    done = true;
    watcher.join();
    return result;
  }

  void Watch(HWND dialog, const std::function<void(HWND)>& user, std::atomic<bool>& done) {
    std::thread act([&] { if (user) user(dialog); });
    // Bounded: about 60 s of watching.
    for (int i = 0; i < 3000 && !done && IsWindow(dialog); ++i) {
      std::string phase = ItemText(dialog, IDC_PHASE_LINE);
      if (seen_.phases.empty() || seen_.phases.back() != phase) seen_.phases.push_back(phase);
      HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
      if (phase.find("letöltése") != std::string::npos && IsWindowVisible(bar)) {
        seen_.barVisibleDuringDownload = true;
        if (GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE) seen_.barMarquee = true;
        // The bar shows the position: thousandths against the percent text.
        int position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
        double percent = atof(ItemText(dialog, IDC_PERCENT).c_str());
        if (position > 0 && position / 10.0 <= percent + 0.5 && position / 10.0 >= percent - 5.0)
          ++seen_.barAgreesWithPercent;
      }
      seen_.message = ItemText(dialog, IDC_MESSAGE_AREA);
      seen_.button = ItemText(dialog, IDCANCEL);
      seen_.buttonEnabled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != FALSE;
      Sleep(20);
    }
    act.join();
  }

  static std::string ItemText(HWND dialog, int item) {
    char text[512] = {};
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return text;
  }

  // Waits until the dialog shows a phase line containing `part`.
  static bool WaitForPhase(HWND dialog, const char* part) {
    return WaitUntil([=] { return ItemText(dialog, IDC_PHASE_LINE).find(part) != std::string::npos; });
  }

  static bool WaitForButton(HWND dialog, const char* text, DWORD ms = StatePatience) {
    return WaitUntil(
        [=] { return ItemText(dialog, IDCANCEL) == text && IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)); }, ms);
  }

  // The message box the worker holds the run with.
  static HWND WaitForMessageBox() {
    HWND box = nullptr;
    WaitUntil([&] {
      box = FindWindowA("#32770", InstallState.Caption);
      return box != nullptr && IsWindowVisible(box);
    });
    return box;
  }

  static void Press(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

  // Presses the button and returns once the dialog has handled the press:
  // sent, not posted, so what it changed is there when the call returns.
  static void PressAndWait(HWND dialog) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, StatePatience, &result);
  }

  // Presses the button and returns how long the ending's "Kilépés" took to
  // come (10 s at the most).
  static DWORD PressAndTimeTheEnding(HWND dialog) {
    Press(dialog);
    DWORD pressed = GetTickCount();
    WaitForButton(dialog, "Kilépés", 10000);
    return GetTickCount() - pressed;
  }

  // Waits for the ending's "Kilépés", notes what the dialog shows then, and
  // presses it. Returns whether the button came.
  bool Exit(HWND dialog) {
    bool shown = WaitForButton(dialog, "Kilépés");
    final_.phases.push_back(ItemText(dialog, IDC_PHASE_LINE));
    final_.message = ItemText(dialog, IDC_MESSAGE_AREA);
    final_.button = ItemText(dialog, IDCANCEL);
    final_.buttonEnabled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != FALSE;
    Press(dialog);
    return shown;
  }

  bool Logged(const char* text) {
    for (size_t i = 0; i < StatusLogCount(); ++i)
      if (std::string(StatusLogEntry(i)->text) == text) return true;
    return false;
  }

  std::string Installed(const std::string& relative) {
    std::string content;
    if (!ReadLocalFile(std::string(Root) + relative, &content)) return "<missing>";
    return content;
  }

  HWND setup_ = nullptr;
  Observation seen_;
  Observation final_;  // at the moment the ending was shown
  WorkerDistribution dist_;
};

// Every text put on a window of the thread that installs it, in order: the
// progress dialog runs on the test's thread, and the worker's item updates
// are sent to it, so none is missed however fast the ending comes.
struct SentText {
  int item;
  std::string text;
};
std::vector<SentText>* SentTexts = nullptr;

LRESULT CALLBACK NoteSentText(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message == WM_SETTEXT && sent->lParam != 0 && SentTexts != nullptr)
    SentTexts->push_back({GetDlgCtrlID(sent->hwnd), reinterpret_cast<const char*>(sent->lParam)});
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::string> SentTo(const std::vector<SentText>& sent, int item) {
  std::vector<std::string> texts;
  for (const SentText& t : sent)
    if (t.item == item) texts.push_back(t.text);
  return texts;
}

bool ContainsPhase(const std::vector<std::string>& phases, const std::string& phase) {
  for (const std::string& p : phases)
    if (p == phase) return true;
  return false;
}

TEST_F(InstallWorkerTest, SuccessRoadEndsWithResultOne) {
  dist_.Publish(WebSite);
  std::vector<SentText> sent;
  SentTexts = &sent;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, NoteSentText, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  INT_PTR result = Run(nullptr);
  UnhookWindowsHookEx(hook);
  SentTexts = nullptr;
  EXPECT_EQ(result, 1);

  // The texts of the last steps, exactly and in their order.
  std::vector<std::string> phases = SentTo(sent, IDC_PHASE_LINE);
  std::vector<std::string> lastPhases = {"A rendszer könyvtárak létrehozása...", "A rendszer állományok telepítése...",
                                         "A telepítés regisztrálása...", "A telepítés sikeresen végrehajtva!"};
  ASSERT_GE(phases.size(), lastPhases.size());
  EXPECT_EQ(std::vector<std::string>(phases.end() - 4, phases.end()), lastPhases);
  std::vector<std::string> marks = SentTo(sent, IDC_ACTIVITY_MARK);
  ASSERT_GE(marks.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(marks.end() - 5, marks.end()),
            (std::vector<std::string>{".", "..", "...", "....", "....."}));
  ASSERT_FALSE(SentTo(sent, IDC_PERCENT).empty());
  EXPECT_EQ(SentTo(sent, IDC_PERCENT).back(), "100.0%");
  ASSERT_FALSE(SentTo(sent, IDC_FILE_LINE).empty());
  EXPECT_EQ(SentTo(sent, IDC_FILE_LINE).back(), "   ....");
  EXPECT_TRUE(IsWindow(setup_));  // kept for the program group
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setup_, IDOK)));

  EXPECT_TRUE(ContainsPhase(seen_.phases, "A telepítési adatok letöltése folyik... (ez idő igényes lehet...)") ||
              ContainsPhase(seen_.phases, "A rendszer állományok telepítése..."));
  EXPECT_EQ(Installed("\\ZeltaWin32\\setup.exe"), dist_.setupReal);
  EXPECT_EQ(Installed("\\ZeltaWin32\\Bin\\big.bin"), dist_.big);
  EXPECT_EQ(Installed("\\Data\\data.txt"), dist_.data);
  EXPECT_TRUE(Logged("[A] A kapcsolat megnyitott 'Https' biztonságos módban!"));
  EXPECT_TRUE(Logged("Az internet kapcsolat bezárva!"));
  EXPECT_EQ(InstallState.ProgressDone, InstallState.ProgressTotal);
  EXPECT_EQ(InstallState.WorkerRunning, 0);
  EXPECT_EQ(InstallState.CancelRequested, 0);

  char value[256];
  DWORD size = sizeof value;
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, RecordKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Installed Path", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_STREQ(value, Root);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zlt", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// A cancel does not wait for the file in transfer: the ending comes within
// seconds, the file stays as far as it came, and nothing names a failure.
TEST_F(InstallWorkerTest, CancelDuringDownloadEndsWithinSeconds) {
  dist_.Publish(WebSite);
  SetFault(WebSite, "VarnelDemo/Disc_01/Bin/big.bin", "slow 50");  // about 20 s for the big file
  const std::string partial = std::string(Root) + "\\ZeltaWin32\\Install\\Disc_01\\Bin\\big.bin";
  bool exitShown = false;
  DWORD toEnding = 0;
  INT_PTR result = Run([&](HWND dialog) {
    // Wait until the big file's transfer has begun (its answer came and
    // its file is made) and the bar has been seen, then cancel.
    WaitUntil([&] { return PathExists(partial) && seen_.barVisibleDuringDownload; });
    toEnding = PressAndTimeTheEnding(dialog);
    exitShown = Exit(dialog);
  });
  EXPECT_TRUE(exitShown);
  EXPECT_LT(toEnding, 5000u);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsWindow(setup_));  // destroyed after a run without success
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
  EXPECT_EQ(final_.message.find("sikertelen"), std::string::npos) << final_.message;
  EXPECT_TRUE(seen_.barVisibleDuringDownload);
  EXPECT_FALSE(seen_.barMarquee);
  EXPECT_TRUE(Logged("Az internet kapcsolat bezárva!"));
  std::string downloaded;
  ASSERT_TRUE(ReadLocalFile(partial, &downloaded));
  EXPECT_LT(downloaded.size(), dist_.big.size());
  EXPECT_TRUE(downloaded == dist_.big.substr(0, downloaded.size()));  // what came, as it came
  EXPECT_FALSE(PathExists(std::string(Root) + "\\ZeltaWin32\\Install\\Disc_01\\data.txt"));
  EXPECT_EQ(Installed("\\Data\\data.txt"), "<missing>");
}

// A server that takes the request and then goes dark (no answer, no close,
// whatever the installer does): the cancel ends the run within seconds, as
// cancelled (not as a missing connection), and no second host is tried for
// a run being cancelled.
TEST_F(InstallWorkerTest, CancelWhileTheServerIsSilent) {
  dist_.Publish(WebSite);
  dist_.Publish(DownloadSite);
  SetFault(WebSite, "Update.ini", "dark");
  size_t from = ServerAccessLog().size();
  size_t faultsFrom = FaultServerLog().size();
  bool wentDark = false;
  DWORD toEnding = 0;
  INT_PTR result = Run([&](HWND dialog) {
    wentDark = WaitForFaultLog("/Update.ini fault=dark attempt=1 status=", faultsFrom, 20000);
    toEnding = PressAndTimeTheEnding(dialog);
    Exit(dialog);
  });
  EXPECT_TRUE(wentDark);
  EXPECT_EQ(result, 0);
  EXPECT_LT(toEnding, 5000u);
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
  EXPECT_EQ(final_.message.find("Internet kapcsolata"), std::string::npos) << final_.message;
  EXPECT_FALSE(PathExists(Root));
  EXPECT_TRUE(RequestsFor(ServerAccessLog().substr(from), "GET /UpDate-V9.20/").empty());
}

TEST_F(InstallWorkerTest, RepeatedCancelPressesWaitForTheWorker) {
  dist_.Publish(WebSite);
  // The worker is held at message 14 (an existing target with the ask
  // code), where no cancel can end it, while the button is pressed.
  WriteTestFile(std::string(Root) + "\\ZeltaWin32\\setup.exe", "old");
  std::vector<std::string> buttonTexts;
  std::vector<bool> buttonEnabled;
  bool stillOpen = true;
  INT_PTR result = Run([&](HWND dialog) {
    WaitForPhase(dialog, "állományok telepítése");
    HWND box = WaitForMessageBox();
    for (int press = 0; press < 3; ++press) {
      PressAndWait(dialog);
      buttonTexts.push_back(ItemText(dialog, IDCANCEL));
      buttonEnabled.push_back(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != FALSE);
      stillOpen = stillOpen && IsWindowVisible(dialog);  // an ended dialog is hidden at once
    }
    if (box != nullptr) PostMessageA(box, WM_COMMAND, IDNO, 0);
    Exit(dialog);
  });
  EXPECT_EQ(result, 0);
  ASSERT_EQ(buttonTexts.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(buttonTexts[i], "Megszakítva") << i;
    EXPECT_FALSE(buttonEnabled[i]) << i;
  }
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
}

TEST_F(InstallWorkerTest, CancelDuringFileInstallationTakesEffectAfterTheRegistryRecord) {
  dist_.Publish(WebSite);
  // An existing target with the ask code holds the worker at message 14
  // while the user presses the dialog's button.
  WriteTestFile(std::string(Root) + "\\ZeltaWin32\\setup.exe", "old");
  INT_PTR result = Run([&](HWND dialog) {
    WaitForPhase(dialog, "állományok telepítése");
    HWND box = WaitForMessageBox();
    PressAndWait(dialog);  // handled while the files are being installed
    if (box != nullptr) PostMessageA(box, WM_COMMAND, IDNO, 0);
    Exit(dialog);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Installed("\\ZeltaWin32\\setup.exe"), "old");       // answered No
  EXPECT_EQ(Installed("\\Data\\data.txt"), dist_.data);          // installation ran to its end
  HKEY key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, RecordKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zlt", 0, KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);  // the file types were not registered
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
}

TEST_F(InstallWorkerTest, FailedDownloadEndsAsCancelled) {
  dist_.Publish(WebSite);
  SetFault(WebSite, "VarnelDemo/Disc_01/data.txt", "status 404");
  INT_PTR result = Run([&](HWND dialog) { Exit(dialog); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
  // The reason, under the animation that has gone with the worker.
  EXPECT_EQ(final_.message,
            "\n\nA(z) ' Disc_01/data.txt ' fájl letöltése sikertelen:\n"
            "a fájl nem található a kiszolgálón (HTTP 404)!");
  EXPECT_EQ(Installed("\\ZeltaWin32\\Bin\\big.bin"), "<missing>");  // nothing partial installed
  HKEY key;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, RecordKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
}

// A download folder that cannot be made (a file stands where its parent
// should be, which the folder creation takes for the folder made before):
// the ending names the folder and why, instead of an empty message area.
TEST_F(InstallWorkerTest, DownloadFolderThatCannotBeMadeEndsWithItsReason) {
  dist_.Publish(WebSite);
  ASSERT_TRUE(CreateDirectoryA(Root, nullptr));
  WriteTestFile(std::string(Root) + "\\ZeltaWin32", "not a folder");
  INT_PTR result = Run([&](HWND dialog) { Exit(dialog); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
  EXPECT_EQ(final_.message,
            "\n\nA(z) ' C:\\WorkerRoot\\ZeltaWin32\\Install ' mappa létrehozása sikertelen:\n"
            "a célmeghajtóra nem lehet írni!");
}

TEST_F(InstallWorkerTest, MissingRootDirectoryEndsAsCancelled) {
  WriteSiteFile(WebSite, "VarnelDemo/Disc_01/Install.ini", "[System]\r\nVersion=9.21\r\n");
  MessageBoxAnswerer answer("ZeltaCAD System Error!", IDOK);
  INT_PTR result = Run([&](HWND dialog) { Exit(dialog); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(answer.text(), "A telepítési könyvtár nem található a WEB-en!");
  EXPECT_TRUE(Logged("Az internet kapcsolat bezárva!"));
  EXPECT_EQ(final_.phases.back(), "A telepítési folyamat megszakítva!");
}

// Run with the HTTPS port closed (vendor-net.sh --no-https).
TEST_F(InstallWorkerTest, NoHttps_PlainHttpInstallsTheSame) {
  dist_.Publish(DownloadSite);
  INT_PTR result = Run(nullptr);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(Logged("Nincs engedélyezett olvasás és letöltés 'Https' biztonságos kapcsolattal!"));
  EXPECT_TRUE(Logged("A kapcsolat megnyitott 'Http' módban!"));
  EXPECT_EQ(Installed("\\ZeltaWin32\\Bin\\big.bin"), dist_.big);
}

// Run with no server at all (vendor-net.sh --no-https --no-http).
TEST_F(InstallWorkerTest, NoServer_NoConnectionEnding) {
  bool exitShown = false;
  INT_PTR result = Run([&](HWND dialog) { exitShown = Exit(dialog); });
  EXPECT_TRUE(exitShown);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(final_.phases.back(), "");
  EXPECT_EQ(final_.message, std::string("\n\nA telepítő rendszernek nincs Internet kapcsolata,\n vagy nincs letöltési "
                                       "engedélye az 'www.zeltasoft.example' WEB lappról!!!"));
  EXPECT_TRUE(final_.buttonEnabled);
  EXPECT_FALSE(IsWindow(setup_));
}

}  // namespace
