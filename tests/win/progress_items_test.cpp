#include "progress/progress_items.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/install_state.h"
#include "progress/advance_progress.h"
#include "resources/resource_ids.h"
#include "tests/win/recording_dialog.h"
#include "tests/win/wait_until.h"

namespace {

using Texts = std::vector<std::string>;

// Counts the position requests that reach a progress bar.
struct PositionCounter {
  explicit PositionCounter(HWND bar) : bar_(bar) {
    SetPropA(bar, "ZeltaTestCounter", this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PositionCounter::Proc)));
  }
  ~PositionCounter() {
    SetWindowLongPtrA(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(bar_, "ZeltaTestCounter");
  }
  static LRESULT CALLBACK Proc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<PositionCounter*>(GetPropA(bar, "ZeltaTestCounter"));
    if (message == PBM_SETPOS) self->requests.push_back(static_cast<int>(wParam));
    return CallWindowProcA(self->original_, bar, message, wParam, lParam);
  }
  std::vector<int> requests;

 private:
  HWND bar_;
  WNDPROC original_;
};

class ProgressItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_.reset(new RecordingDialog);
    ForgetProgressItems();
  }
  std::unique_ptr<RecordingDialog> dialog_;
};

TEST_F(ProgressItemsTest, FileLineMarkAndPercentAreSentOnlyWhenTheyChange) {
  for (const char* text : {"a.txt", "a.txt", "b.txt", "a.txt", "a.txt"}) ShowProgressItem(IDC_FILE_LINE, text);
  for (const char* text : {"", "", "|", "|", "/", ""}) ShowProgressItem(IDC_ACTIVITY_MARK, text);
  for (const char* text : {" 10.0%", " 10.0%", " 10.1%"}) ShowProgressItem(IDC_PERCENT, text);
  EXPECT_EQ(dialog_->TextsOf(IDC_FILE_LINE), (Texts{"a.txt", "b.txt", "a.txt"}));
  EXPECT_EQ(dialog_->TextsOf(IDC_ACTIVITY_MARK), (Texts{"", "|", "/", ""}));
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), (Texts{" 10.0%", " 10.1%"}));
  EXPECT_EQ(dialog_->CurrentText(IDC_FILE_LINE), "a.txt");
}

TEST_F(ProgressItemsTest, PhaseLineAndMessageAreaAreSentEveryTime) {
  ShowProgressItem(IDC_PHASE_LINE, "x");
  ShowProgressItem(IDC_PHASE_LINE, "x");
  ShowProgressItem(IDC_MESSAGE_AREA, "y");
  ShowProgressItem(IDC_MESSAGE_AREA, "y");
  EXPECT_EQ(dialog_->TextsOf(IDC_PHASE_LINE), (Texts{"x", "x"}));
  EXPECT_EQ(dialog_->TextsOf(IDC_MESSAGE_AREA), (Texts{"y", "y"}));
}

TEST_F(ProgressItemsTest, ANewDialogOrAForgetStartsAfresh) {
  ShowProgressItem(IDC_PERCENT, "  5.0%");
  ForgetProgressItems();
  ShowProgressItem(IDC_PERCENT, "  5.0%");
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), (Texts{"  5.0%", "  5.0%"}));

  // Another window as the progress dialog: its items show nothing yet.
  dialog_.reset();
  RecordingDialog second;
  ShowProgressItem(IDC_PERCENT, "  5.0%");
  EXPECT_EQ(second.TextsOf(IDC_PERCENT), (Texts{"  5.0%"}));
}

TEST_F(ProgressItemsTest, TextsLongerThanTheirRecordAreSentEveryTime) {
  std::string mark(40, '.');
  ShowProgressItem(IDC_ACTIVITY_MARK, mark.c_str());
  ShowProgressItem(IDC_ACTIVITY_MARK, mark.c_str());
  EXPECT_EQ(dialog_->TextsOf(IDC_ACTIVITY_MARK), (Texts{mark, mark}));
  // ...and a short text after it is compared with the right one.
  ShowProgressItem(IDC_ACTIVITY_MARK, ".");
  ShowProgressItem(IDC_ACTIVITY_MARK, ".");
  EXPECT_EQ(dialog_->TextsOf(IDC_ACTIVITY_MARK).size(), 3u);
}

TEST_F(ProgressItemsTest, BarPositionIsSentOnlyWhenItMoves) {
  PositionCounter counter(InstallState.ProgressBar);
  for (int position : {0, 0, 1, 1, 1, 500, 1000, 1000}) ShowProgressPosition(position);
  EXPECT_EQ(counter.requests, (std::vector<int>{0, 1, 500, 1000}));
  EXPECT_EQ(dialog_->BarPosition(), 1000);
  // Without a bar nothing is sent and nothing breaks.
  HWND bar = InstallState.ProgressBar;
  InstallState.ProgressBar = nullptr;
  ShowProgressPosition(7);
  InstallState.ProgressBar = bar;
  EXPECT_EQ(counter.requests.size(), 4u);
}

// The download's progress after each chunk: unchanged texts and positions
// are not sent again.
TEST_F(ProgressItemsTest, AdvanceProgressSendsOnlyChanges) {
  PositionCounter counter(InstallState.ProgressBar);
  InstallState.ProgressDone = 0;
  InstallState.ProgressTotal = 100000;
  for (int i = 0; i < 10; ++i) AdvanceProgress(1);  // 0.01 thousandths each: nothing moves
  AdvanceProgress(5000);
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), (Texts{"  0.0%", "  5.0%"}));
  EXPECT_EQ(counter.requests, (std::vector<int>{0, 50}));
  InstallState.ProgressTotal = 0;
  InstallState.ProgressDone = 0;
}

// The worker writes the often changing items without waiting for the
// dialog's thread, which here runs no messages until the worker is done:
// once it does, the items show the last texts and the bar the last
// position; texts replaced in between may be skipped, never reordered.
TEST_F(ProgressItemsTest, TheWorkerDoesNotWaitForTheDrawing) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(done, nullptr);
  std::thread worker([&] {
    char text[32];
    for (int i = 1; i <= 200; ++i) {
      wsprintfA(text, "%3d.0%%", i / 2);
      ShowProgressItem(IDC_PERCENT, text);
      wsprintfA(text, "file%d", i);
      ShowProgressItem(IDC_FILE_LINE, text);
      ShowProgressPosition(i * 5);
    }
    SetEvent(done);
  });
  // No messages run on this thread while it waits.
  bool finished = WaitForSingleObject(done, StatePatience) == WAIT_OBJECT_0;
  EXPECT_TRUE(finished) << "the worker waited for the dialog";
  EXPECT_TRUE(WaitUntil([&] { return dialog_->CurrentText(IDC_FILE_LINE) == "file200"; }));
  worker.join();
  CloseHandle(done);
  EXPECT_EQ(dialog_->CurrentText(IDC_PERCENT), "100.0%");
  EXPECT_EQ(dialog_->BarPosition(), 1000);
  Texts files = dialog_->TextsOf(IDC_FILE_LINE);
  ASSERT_FALSE(files.empty());
  EXPECT_LT(files.size(), 200u);  // drawn once, not once per text
  for (size_t i = 1; i < files.size(); ++i)
    EXPECT_LT(atoi(files[i - 1].c_str() + 4), atoi(files[i].c_str() + 4)) << files[i];
}

// Steps are drawn before the worker goes on, every one and in order, each
// after the items written before it.
TEST_F(ProgressItemsTest, StepsFollowWhatWasWrittenBeforeThem) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    char text[32];
    for (int i = 1; i <= 20; ++i) {
      wsprintfA(text, "file%d", i);
      ShowProgressItem(IDC_FILE_LINE, text);
      wsprintfA(text, "phase%d", i);
      ShowProgressStep(IDC_PHASE_LINE, text);
    }
    ShowProgressStep(IDC_PHASE_LINE, "phase20");
    done = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
  worker.join();
  Texts expected;
  std::string lastFile;
  for (const RecordedText& t : dialog_->Texts()) {
    if (t.item == IDC_FILE_LINE) lastFile = t.text;
    if (t.item != IDC_PHASE_LINE) continue;
    expected.push_back(t.text);
    EXPECT_EQ(lastFile.substr(4), t.text.substr(5)) << t.text;
  }
  ASSERT_EQ(expected.size(), 21u);
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(expected[i - 1], "phase" + std::to_string(i));
  EXPECT_EQ(expected[20], "phase20");  // a step is sent even when unchanged
}

}  // namespace
