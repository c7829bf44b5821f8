// Scripted stand-ins for the host ports: recorded messages, scripted answers and paths, and an
// event pump that counts its calls and can ask to stop at call N.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/ports.h"

namespace testing_support {

class FakeMessages : public app::MessagePort {
 public:
  void Inform(app::Severity severity, const std::string& text) override {
    informed.push_back({severity, text});
  }
  app::Answer Ask(const app::Question& question) override {
    asked.push_back(question);
    if (answers.empty())
      return default_answer;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
  }

  struct Message {
    app::Severity severity;
    std::string text;
  };
  std::vector<Message> informed;
  std::vector<app::Question> asked;
  std::deque<app::Answer> answers;  // consumed in order
  app::Answer default_answer = app::Answer::kNo;
};

class FakeFileDialogs : public app::FileDialogPort {
 public:
  std::optional<std::filesystem::path> ChooseFileToOpen(const app::FileFilter& filter) override {
    open_filters.push_back(filter);
    return Next(open_paths);
  }
  std::optional<std::filesystem::path> ChooseFileToSave(
      const app::FileFilter& filter, const std::filesystem::path& suggestion) override {
    save_filters.push_back(filter);
    save_suggestions.push_back(suggestion);
    return Next(save_paths);
  }
  std::optional<app::SaveChoice> ChooseFileToSaveWithList(
      const app::FileFilter& filter, const std::filesystem::path& suggestion,
      const app::SaveListChoice& list) override {
    save_lists.push_back(list);
    auto file = ChooseFileToSave(filter, suggestion);
    if (!file)
      return std::nullopt;
    int selected = list.selected;
    if (!save_list_selections.empty()) {
      selected = save_list_selections.front();
      save_list_selections.pop_front();
    }
    return app::SaveChoice{*file, selected};
  }

  // nullopt entries mean "cancelled"; an empty queue cancels too.
  std::deque<std::optional<std::filesystem::path>> open_paths;
  std::deque<std::optional<std::filesystem::path>> save_paths;
  std::vector<app::FileFilter> open_filters;
  std::vector<app::FileFilter> save_filters;
  std::vector<std::filesystem::path> save_suggestions;
  std::vector<app::SaveListChoice> save_lists;  // the list each save dialog showed
  std::deque<int> save_list_selections;         // entries chosen in turn; empty keeps the shown one

 private:
  static std::optional<std::filesystem::path> Next(
      std::deque<std::optional<std::filesystem::path>>& queue) {
    if (queue.empty())
      return std::nullopt;
    auto next = queue.front();
    queue.pop_front();
    return next;
  }
};

class FakeEventPump : public app::EventPump {
 public:
  void LetPendingEventsRun() override {
    ++pump_calls;
    if (stop_at_call > 0 && pump_calls >= stop_at_call)
      stop_requested = true;
  }
  void ReportProgress(int done, int total) override {
    last_done = done;
    last_total = total;
    ++progress_calls;
  }
  bool StopRequested() const override {
    return stop_requested;
  }

  int pump_calls = 0;
  int progress_calls = 0;
  int last_done = 0;
  int last_total = 0;
  int stop_at_call = 0;  // 0 = never
  bool stop_requested = false;
};

}  // namespace testing_support
