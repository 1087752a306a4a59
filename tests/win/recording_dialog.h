// A stand-in for the progress dialog in tests: a window with the dialog's
// item ids whose text changes are recorded in order. Like the dialog, it
// draws the items' latest texts when told (CMD_DRAW_PROGRESS).
#ifndef ZELTA_TESTS_WIN_RECORDING_DIALOG_H
#define ZELTA_TESTS_WIN_RECORDING_DIALOG_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedText {
  int item;
  std::string text;
};

class RecordingDialog {
 public:
  // Creates the window and makes it InstallState.ProgressDialog (with the
  // bar as InstallState.ProgressBar).
  RecordingDialog();
  ~RecordingDialog();

  // Every text set on an item, in order.
  const std::vector<RecordedText>& Texts() const { return texts_; }
  std::vector<std::string> TextsOf(int item) const;
  std::string CurrentText(int item) const;
  int BarPosition() const;

  // Called after each recorded text change (on the thread that made it).
  std::function<void(const RecordedText&)> onText;

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK ItemProc(HWND item, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_;
  std::vector<RecordedText> texts_;
};

#endif
