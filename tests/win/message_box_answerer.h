// Answers a message box from another thread, as a user would: waits for a
// visible dialog with the given caption, keeps its text, presses a button.
#ifndef ZELTA_TESTS_WIN_MESSAGE_BOX_ANSWERER_H
#define ZELTA_TESTS_WIN_MESSAGE_BOX_ANSWERER_H

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MessageBoxAnswerer {
 public:
  // Answers every box with `caption` that appears, in order, with the given
  // buttons (IDOK, IDCANCEL, IDYES, IDNO, ...); the last answer is repeated
  // when more boxes come than answers were given. Stops answering after
  // `limit` boxes (0: no limit) or when destroyed.
  MessageBoxAnswerer(const char* caption, std::vector<int> answers, int limit = 0);
  MessageBoxAnswerer(const char* caption, int answer) : MessageBoxAnswerer(caption, std::vector<int>{answer}, 1) {}
  ~MessageBoxAnswerer();

  // Stops the watching thread; then the recorded texts are final.
  void Stop();
  bool seen() {
    Stop();
    return !texts_.empty();
  }
  std::vector<std::string> texts() {
    Stop();
    return texts_;
  }
  std::string text() {
    Stop();
    return texts_.empty() ? std::string() : texts_.front();
  }

 private:
  std::string caption_;
  std::vector<int> answers_;
  int limit_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::vector<std::string> texts_;
};

#endif
