#include "base/record_files.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::ErrorOf;

struct RecordFilesTest : ::testing::Test {
  testing::TempDir dir;
  RecordFiles files;
};

TEST_F(RecordFilesTest, HandsOutTheLowestFreeHandleAndOpensOnlyRegularFiles) {
  files.Open(1, dir.File("a"), 4);  // created
  files.Open(2, dir.File("b"), 4);
  EXPECT_EQ(files.FreeFile(), 3);
  files.Close(1);
  EXPECT_EQ(files.FreeFile(), 1);
  EXPECT_NO_THROW(files.Close(1));
  EXPECT_EQ(ErrorOf([&] { files.Open(2, dir.File("c"), 4); }), 52);
  for (const std::string& path : {std::string(), dir.Path().string(), std::string("/dev/null")}) {
    EXPECT_EQ(ErrorOf([&] { files.Open(3, path, 4); }), 75) << path;
  }
  EXPECT_EQ(ErrorOf([&] { files.Open(3, dir.File("no/such/folder.dat"), 4); }), 76);
  files.CloseAll();
  EXPECT_EQ(ErrorOf([&] { files.Length(2); }), 52);
}

}  // namespace
}  // namespace tavelin
