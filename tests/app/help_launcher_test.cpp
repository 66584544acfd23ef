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

// Every case runs from another current folder, which holds a help file of its own that must not
// be taken for the program's.
class HelpLauncherTest : public ::testing::Test {
 protected:
  HelpLauncherTest() : saved_(std::filesystem::current_path()) {
    testing::WriteBytes(elsewhere.File("Rizezuz.chm"), {});
    std::filesystem::current_path(elsewhere.Path());
  }
  ~HelpLauncherTest() override { std::filesystem::current_path(saved_); }

  void Show() {
    ShowHelpFile("Rizezuz.chm", HelpEnvironment{program.Path().string(), shell, messages});
  }

  TempDir program;
  TempDir elsewhere;
  FakeShell shell;
  RecordingMessages messages;
  const std::string path = program.Path().string() + "/Rizezuz.chm";

 private:
  std::filesystem::path saved_;
};

TEST_F(HelpLauncherTest, OpensTheFileBesideTheProgramAndPassesOverAFileNothingOpens) {
  testing::WriteBytes(path, {});
  Show();
  shell.accepts = false;  // no program for the file's type
  Show();
  ASSERT_EQ(shell.requests.size(), 2u);
  const DocumentRequest& request = shell.requests[0];
  EXPECT_EQ(request.operation, "Open");
  EXPECT_EQ(request.file, path);
  EXPECT_FALSE(request.parameters || request.directory);
  EXPECT_EQ(request.showCommand, 1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HelpLauncherTest, AMissingFileIsReportedWithItsFullPathAndAnErrorWithItsNumber) {
  Show();
  EXPECT_TRUE(shell.requests.empty());
  testing::WriteBytes(path, {});
  shell.raise = 75;
  Show();
  const std::vector<ShownMessage> expected{
      {"HTML Help File Not Found \r\n" + path, "Tavelin"},
      {"Error in Invoking Help!\r\nError Code = 75", "Tavelin"}};
  EXPECT_EQ(messages.shown, expected);
}

}  // namespace
}  // namespace tavelin
