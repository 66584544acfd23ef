#include "base/record_files.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::ErrorOf;
std::vector<std::byte> Record(int length, int fill) { return std::vector<std::byte>(length, std::byte(fill)); }

class RecordFilesTest : public ::testing::Test {
 protected:
  std::vector<std::byte> Read(std::int16_t handle, std::int64_t n, int length) {
    std::vector<std::byte> out = Record(length, 0xAA);
    return files.Read(handle, n, out), out;
  }
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

// Buffered records count in the length and reach a second handle; a full disk fails once and leaves
// whole records only.
TEST_F(RecordFilesTest, WritesWholeRecordsInOrder) {
  files.Open(1, dir.File("w.dat"), 3);
  for (int i = 1; i <= 1000; ++i) files.WriteNext(1, Record(3, i % 256));
  EXPECT_EQ(files.Length(1), 3000);
  files.Open(2, dir.File("w.dat"), 3);
  EXPECT_EQ(Read(2, 1000, 3), Record(3, 1000 % 256));
  for (int i = 0; i < 400; ++i) files.WriteNext(1, Record(3, 7));
  std::vector<int> errors;
  {
    testing::FileSizeLimit limit(3500);
    for (int flush = 0; flush < 2; ++flush) errors.push_back(ErrorOf([&] { files.Flush(1); }));
  }
  EXPECT_EQ(errors, (std::vector<int>{61, 0}));
  files.Close(1);
  EXPECT_EQ(testing::ReadBytes(dir.File("w.dat")).size(), 3498u);
}

}  // namespace
}  // namespace tavelin
