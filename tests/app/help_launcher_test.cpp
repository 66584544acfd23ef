#include "app/help_launcher.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingMessages;
using testing::ShownMessage;
using testing::TempDir;

class FakeShell : public DocumentShell {
 public:
  bool Perform(const DocumentRequest& request) override {
    requests.push_back(request);
    if (raise != 0) throw RunTimeError(raise);
    return accepts;
  }
  std::vector<DocumentRequest> requests;
  bool accepts = true;
  int raise = 0;
};

// Runs the test from another folder and comes back afterwards.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder)
      : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

class HelpLauncherTest : public ::testing::Test {
 protected:
  void Show() {
    ShowHelpFile("Rizezuz.chm", HelpEnvironment{program.Path().string(), shell, messages});
  }

  TempDir program;
  TempDir elsewhere;
  FakeShell shell;
  RecordingMessages messages;
};

TEST_F(HelpLauncherTest, OpensTheFileBesideTheProgramWithoutAMessage) {
  testing::WriteBytes(program.File("Rizezuz.chm"), {});
  const CurrentFolder away(elsewhere.Path());
  Show();
  ASSERT_EQ(shell.requests.size(), 1u);
  const DocumentRequest& request = shell.requests[0];
  EXPECT_EQ(request.operation, "Open");
  EXPECT_EQ(request.file, program.Path().string() + "/Rizezuz.chm");
  EXPECT_FALSE(request.parameters.has_value());
  EXPECT_FALSE(request.directory.has_value());
  EXPECT_EQ(request.showCommand, 1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HelpLauncherTest, AMissingFileIsReportedWithItsFullPathWhateverTheCurrentFolder) {
  // A file of that name in the current folder must not be taken for the program's.
  testing::WriteBytes(elsewhere.File("Rizezuz.chm"), {});
  const CurrentFolder away(elsewhere.Path());
  Show();
  EXPECT_TRUE(shell.requests.empty());
  const ShownMessage expected{
      "HTML Help File Not Found \r\n" + program.Path().string() + "/Rizezuz.chm", "Tavelin"};
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{expected});
}

TEST_F(HelpLauncherTest, AFileThatNoProgramOpensIsPassedOverSilently) {
  testing::WriteBytes(program.File("Rizezuz.chm"), {});
  shell.accepts = false;
  Show();
  EXPECT_EQ(shell.requests.size(), 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HelpLauncherTest, AnErrorOnTheWayIsReportedWithItsNumber) {
  testing::WriteBytes(program.File("Rizezuz.chm"), {});
  shell.raise = 75;
  Show();
  const ShownMessage expected{"Error in Invoking Help!\r\nError Code = 75", "Tavelin"};
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{expected});
}

TEST(HelpLauncher, TheMenuEntryLooksInTheFolderOfTheRunningProgram) {
  const std::string folder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
  RecordingMessages messages;
  ShowHelpFile("no-such-help.chm", messages);
  const ShownMessage expected{"HTML Help File Not Found \r\n" + folder + "/no-such-help.chm",
                              "Tavelin"};
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{expected});
}

}  // namespace
}  // namespace tavelin
