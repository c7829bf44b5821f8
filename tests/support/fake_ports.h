// Scripted stand-ins for the host ports: recorded messages, scripted answers and paths, and an
// event pump that counts its calls and can ask to stop at call N.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ports/host_ports.h"

namespace testing_support {

class FakeMessages : public ports::MessagePort {
 public:
  void Inform(ports::Severity severity, const std::string& text) override {
    informed.push_back({severity, text});
  }
  ports::Answer Ask(const ports::Question& question) override {
    asked.push_back(question);
    if (answers.empty())
      return default_answer;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
  }

  struct Message {
    ports::Severity severity;
    std::string text;
  };
  std::vector<Message> informed;
  std::vector<ports::Question> asked;
  std::deque<ports::Answer> answers;  // consumed in order
  ports::Answer default_answer = ports::Answer::kNo;
};

class FakeFileDialogs : public ports::FileDialogPort {
 public:
  std::optional<std::filesystem::path> ChooseFileToOpen(const ports::FileFilter& filter) override {
    open_filters.push_back(filter);
    return Next(open_paths);
  }
  std::optional<std::filesystem::path> ChooseFileToSave(
      const ports::FileFilter& filter, const std::filesystem::path& suggestion) override {
    save_filters.push_back(filter);
    save_suggestions.push_back(suggestion);
    return Next(save_paths);
  }
  std::optional<ports::SaveChoice> ChooseFileToSaveWithList(
      const ports::FileFilter& filter, const std::filesystem::path& suggestion,
      const ports::SaveListChoice& list) override {
    save_lists.push_back(list);
    auto file = ChooseFileToSave(filter, suggestion);
    if (!file)
      return std::nullopt;
    int selected = list.selected;
    if (!save_list_selections.empty()) {
      selected = save_list_selections.front();
      save_list_selections.pop_front();
    }
    return ports::SaveChoice{*file, selected};
  }

  std::optional<std::filesystem::path> ChooseFolder(const std::filesystem::path& start) override {
    folder_starts.push_back(start);
    return Next(folder_paths);
  }

  // nullopt entries mean "cancelled"; an empty queue cancels too.
  std::deque<std::optional<std::filesystem::path>> open_paths;
  std::deque<std::optional<std::filesystem::path>> folder_paths;
  std::vector<std::filesystem::path> folder_starts;
  std::deque<std::optional<std::filesystem::path>> save_paths;
  std::vector<ports::FileFilter> open_filters;
  std::vector<ports::FileFilter> save_filters;
  std::vector<std::filesystem::path> save_suggestions;
  std::vector<ports::SaveListChoice> save_lists;  // the list each save dialog showed
  std::deque<int> save_list_selections;  // entries chosen in turn; empty keeps the shown one

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

class FakeEventPump : public ports::EventPump {
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
