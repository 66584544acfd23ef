#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/platform_files.hpp"
#include "support/temp_dir.hpp"

namespace tavelin::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;

TEST(WholeFiles, AReplacementIsWholeOrAbsentAndLeavesNothingBeside) {
  testing::TempDir folder;
  const std::string file = folder.File("f.dat"), missing = folder.File("none/f.dat"), sub = folder.File("sub");
  fs::create_directory(sub), std::ofstream(file) << "old content, longer than the new";
  const std::tuple<std::string, std::string, bool, std::string> rows[] = {
      {file, "new", true, "new"}, {file, "", true, ""}, {folder.File("fresh"), "abc", true, "abc"},
      {missing, "abc", false, ""}, {sub, "abc", false, ""}};
  for (const auto& [path, bytes, done, left] : rows) {
    SCOPED_TRACE(path);
    std::string problem;
    EXPECT_EQ(ReplaceWholeFile(path, bytes, LinkAtName::kReplace, problem), done);
    EXPECT_EQ(problem.empty(), done);
    EXPECT_EQ(done ? ReadText(path) : "", left);
  }
  EXPECT_TRUE(fs::is_directory(sub) && fs::is_empty(sub));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 3);  // f.dat, fresh, sub
}

TEST(WholeFiles, ReadsOnlyRegularFilesWithinTheLimit) {
  testing::TempDir folder;
  std::ofstream(folder.File("f")) << "twelve bytes";
  const std::tuple<std::string, std::int64_t, ReadOutcome> rows[] = {
      {"f", 12, ReadOutcome::kRead}, {"f", 11, ReadOutcome::kTooLarge}, {"", 99, ReadOutcome::kNotRegular},
      {"none", 99, ReadOutcome::kCannotOpen}};
  for (const auto& [name, limit, outcome] : rows) {
    std::string contents;
    EXPECT_EQ(ReadWholeFile(folder.File(name), limit, contents), outcome) << name << limit;
    EXPECT_EQ(outcome == ReadOutcome::kRead, contents == "twelve bytes");
  }
  EXPECT_TRUE(!StatusOf(folder.File("none")).exists && !StatusOf(folder.File("none")).problem.empty());
  EXPECT_TRUE(!StatusOf(folder.File("")).regular && StatusOf(folder.File("f")).writable);
}

#ifndef _WIN32  // links and a file-size limit
TEST(WholeFiles, AFailedWriteKeepsTheOldFileAndLinksFollowThePolicy) {
  testing::TempDir folder;
  const std::string file = folder.File("f"), link = folder.File("link");
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;  // kept
  std::ofstream(file) << "old", fs::permissions(file, mode), fs::create_symlink(file, link);
  std::string problem;
  {
    testing::FileSizeLimit limit(2);  // the new file cannot be written whole
    EXPECT_FALSE(ReplaceWholeFile(file, "longer", LinkAtName::kFollow, problem));
  }
  EXPECT_EQ(problem + ReadText(file), "File too largeold");
  EXPECT_TRUE(ReplaceWholeFile(link, "new", LinkAtName::kFollow, problem) && fs::is_symlink(link));
  EXPECT_EQ(fs::status(file).permissions(), mode);
  EXPECT_TRUE(ReplaceWholeFile(link, "link", LinkAtName::kReplace, problem) && !fs::is_symlink(link));
  EXPECT_EQ(ReadText(file) + ReadText(link), "newlink");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 2);
}
#endif

}  // namespace
}  // namespace tavelin::platform
