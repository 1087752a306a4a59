#include "progress/progress_items.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/install_state.h"
#include "progress/advance_progress.h"
#include "resources/resource_ids.h"
#include "tests/win/recording_dialog.h"

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

}  // namespace
