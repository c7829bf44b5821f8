// Tests of the shell's use of the glyph library: messages at loading, journal and archiving.
#include "app/library_port.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "app/message_table.h"
#include "app/program_folder.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace app {
namespace {

using testing_support::FakeFileDialogs;
using testing_support::FakeMessages;
using testing_support::TempDir;

// Message N reads "mN" in language 1.
MessageTable NumberedMessages() {
  std::vector<std::string> lines;
  for (int number = -1; number < 800; number += 3) {
    lines.push_back("m" + std::to_string(number));
    lines.push_back("t");
    lines.push_back("e");
  }
  return MessageTable(std::move(lines));
}

TEST(LibraryPort, MissingLibraryFilesShowTheirMessageAndFail) {
  TempDir dir;
  library::GlyphLibrary library(dir.path());
  LibraryPort port(library);
  FakeMessages messages;
  ports::NullEventPump pump;
  EXPECT_FALSE(port.Load(messages, NumberedMessages(), pump).ok());
  ASSERT_EQ(messages.informed.size(), 1u);
  EXPECT_EQ(messages.informed[0].text, "m395");
  EXPECT_EQ(messages.informed[0].severity, ports::Severity::kError);
}

TEST(LibraryPort, EmptyLibraryLoadsWithTheIndexMessagesAndArchivesTaughtGlyphs) {
  TempDir dir;
  dir.Write("word.wrd", "");
  dir.Write("word.sts", "");
  library::GlyphLibrary library(dir.path());
  LibraryPort port(library);
  FakeMessages messages;
  ports::NullEventPump pump;
  ASSERT_TRUE(port.Load(messages, NumberedMessages(), pump).ok());
  std::vector<std::string> shown;
  for (const auto& message : messages.informed) {
    shown.push_back(message.text);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"m404", "m686"}));
  EXPECT_EQ(port.JournalCount(), 0);

  const std::string feature = "1,0,0,0,0,0,0,0,0,0,0,0,0";
  ASSERT_TRUE(library.AddGlyph("\xD7\xD6" /* 字 */, feature, 1).ok());
  EXPECT_EQ(port.JournalCount(), 1);
  ASSERT_TRUE(port.ArchiveJournal().ok());
  EXPECT_EQ(port.JournalCount(), 0);
  EXPECT_EQ(dir.Read("word.wrd"), "\xD7\xD6\r\n");
  EXPECT_EQ(dir.Read("newword.wrd"), "");
}

TEST(LibraryPort, FirstStartFromTheShippedDefaultsReachesStateZero) {
  TempDir dir;
  const auto folder = dir / "zentrope";
  ASSERT_TRUE(
      PrepareProgramFolder(folder, std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data").ok());
  library::GlyphLibrary library(folder);
  LibraryPort port(library);
  FakeMessages messages;
  FakeFileDialogs dialogs;
  ports::NullEventPump pump;
  ShellHooks hooks;
  auto created = Application::Create(folder, {messages, dialogs, pump, hooks, port});
  ASSERT_TRUE(created.ok()) << created.error().message;
  ASSERT_TRUE(created.value()->Activate().ok());
  EXPECT_EQ(created.value()->Commands().Recorded(), 0);
  EXPECT_EQ(library.RecordCount(), 0);
  EXPECT_TRUE(std::filesystem::exists(folder / "word.ind"));
  EXPECT_TRUE(created.value()->Shutdown(ShutdownPath::kWindowClose));
}

}  // namespace
}  // namespace app
