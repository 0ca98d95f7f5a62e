// Scripted message boxes, a recording cursor, an in-memory string table and a
// scripted folder picker for tests.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace platform {

class FakeMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    unsigned style;
  };
  // Answers given in order; when they run out, the box answers kIdOk (or
  // kIdNo for a Yes/No box).
  void answer(int button) { answers_.push_back(button); }
  int show(const std::string& text, const std::string& caption, unsigned style) override {
    shown_.push_back({text, caption, style});
    if (!answers_.empty()) {
      const int a = answers_.front();
      answers_.pop_front();
      return a;
    }
    return (style & 0xF) == mb::kYesNo ? mb::kIdNo : mb::kIdOk;
  }
  const std::vector<Shown>& shown() const { return shown_; }

 private:
  std::deque<int> answers_;
  std::vector<Shown> shown_;
};

class FakeCursor : public Cursor {
 public:
  void* setWaitCursor() override {
    events_.push_back("wait");
    waiting_ = true;
    return &previous_;
  }
  void restore(void* previous) override {
    events_.push_back(previous == &previous_ ? "restore" : "restore-unknown");
    waiting_ = false;
  }
  void showCursor(bool show) override { events_.push_back(show ? "show" : "hide"); }
  bool waiting() const { return waiting_; }
  const std::vector<std::string>& events() const { return events_; }

 private:
  int previous_ = 0;
  bool waiting_ = false;
  std::vector<std::string> events_;
};

class FakeStringTable : public StringTable {
 public:
  void set(unsigned id, std::string text) { strings_[id] = std::move(text); }
  void remove(unsigned id) { strings_.erase(id); }
  int load(unsigned id, char* buffer, int bufferSize) override {
    auto it = strings_.find(id);
    return it == strings_.end() ? 0 : copyToStringBuffer(it->second, buffer, bufferSize);
  }

 private:
  std::map<unsigned, std::string> strings_;
};

class FakeFolderPicker : public FolderPicker {
 public:
  void choose(std::optional<std::string> folder) { answers_.push_back(std::move(folder)); }
  std::optional<std::string> browse(const std::string& title) override {
    titles_.push_back(title);
    if (answers_.empty()) return std::nullopt;
    auto a = answers_.front();
    answers_.pop_front();
    return a;
  }
  const std::vector<std::string>& titles() const { return titles_; }

 private:
  std::deque<std::optional<std::string>> answers_;
  std::vector<std::string> titles_;
};

}  // namespace platform
