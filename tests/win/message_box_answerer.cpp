#include "tests/win/message_box_answerer.h"

MessageBoxAnswerer::MessageBoxAnswerer(const char* caption, std::vector<int> answers, int limit)
    : caption_(caption), answers_(std::move(answers)), limit_(limit) {
  thread_ = std::thread([this] {
    HWND last = nullptr;
    // Bounded: at most about 60 s of watching.
    for (int i = 0; i < 2400 && !stop_; ++i) {
      HWND box = FindWindowA("#32770", caption_.c_str());
      if (box != nullptr && box != last && IsWindowVisible(box)) {
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message text of a message box
        size_t n = texts_.size();
        texts_.push_back(text);
        int answer = answers_.empty() ? IDOK : answers_[n < answers_.size() ? n : answers_.size() - 1];
        PostMessageA(box, WM_COMMAND, answer, 0);
        last = box;
        if (limit_ > 0 && static_cast<int>(texts_.size()) >= limit_) return;
        continue;
      }
      if (box == nullptr) last = nullptr;
      Sleep(25);
    }
  });
}

void MessageBoxAnswerer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  Stop();
}
