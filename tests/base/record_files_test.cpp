#include "base/record_files.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "base/run_time_error.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::byte> Record(int length, int fill) {
  return std::vector<std::byte>(static_cast<std::size_t>(length), static_cast<std::byte>(fill));
}

template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(RecordFiles, HandsOutTheLowestFreeHandleAndClosingUnknownHandlesIsHarmless) {
  TempDir dir;
  RecordFiles files;
  EXPECT_EQ(files.FreeFile(), 1);
  files.Open(1, dir.File("a"), 4);
  files.Open(2, dir.File("b"), 4);
  EXPECT_EQ(files.FreeFile(), 3);
  files.Close(1);
  EXPECT_EQ(files.FreeFile(), 1);
  EXPECT_NO_THROW(files.Close(0));
  EXPECT_NO_THROW(files.Close(1));
  EXPECT_EQ(ErrorOf([&] { files.Open(2, dir.File("c"), 4); }), err::kBadFileNumber);
  files.CloseAll();
  EXPECT_FALSE(files.IsOpen(2));
  EXPECT_EQ(ErrorOf([&] { files.Length(2); }), err::kBadFileNumber);
}

TEST(RecordFiles, OpeningCreatesAMissingFileAndRefusesWhatCannotBeOpened) {
  TempDir dir;
  RecordFiles files;
  files.Open(1, dir.File("new.dat"), 124);
  EXPECT_TRUE(std::filesystem::exists(dir.File("new.dat")));
  EXPECT_EQ(files.Length(1), 0);
  EXPECT_EQ(ErrorOf([&] { files.Open(2, "", 124); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { files.Open(2, dir.Path().string(), 124); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { files.Open(2, dir.File("no/such/folder.dat"), 124); }), err::kPathNotFound);
  EXPECT_FALSE(files.IsOpen(2));
}

TEST(RecordFiles, ReadsRecordsByNumberWithMissingBytesAsZero) {
  TempDir dir;
  std::vector<std::byte> bytes = Record(4, 1);
  const auto second = Record(4, 2);
  bytes.insert(bytes.end(), second.begin(), second.end());
  bytes.push_back(std::byte{3});  // a partial third record
  WriteBytes(dir.File("r.dat"), bytes);

  RecordFiles files;
  files.Open(1, dir.File("r.dat"), 4);
  EXPECT_EQ(files.Length(1), 9);
  std::vector<std::byte> out(4);
  files.Read(1, 2, out);
  EXPECT_EQ(out, Record(4, 2));
  files.Read(1, 3, out);
  EXPECT_EQ(out, (std::vector<std::byte>{std::byte{3}, std::byte{0}, std::byte{0}, std::byte{0}}));
  files.Read(1, 40, out);
  EXPECT_EQ(out, Record(4, 0));
  EXPECT_EQ(ErrorOf([&] { files.Read(1, 0, out); }), err::kBadRecordNumber);
}

TEST(RecordFiles, WritesRecordsInOrderAndCountsBufferedOnesInTheLength) {
  TempDir dir;
  RecordFiles files;
  files.Open(1, dir.File("w.dat"), 3);
  for (int i = 1; i <= 1000; ++i) files.WriteNext(1, Record(3, i % 256));
  EXPECT_EQ(files.Length(1), 3000);
  // A second handle on the same file sees every record once the writer has counted them.
  files.Open(2, dir.File("w.dat"), 3);
  std::vector<std::byte> out(3);
  files.Read(2, 1000, out);
  EXPECT_EQ(out, Record(3, 1000 % 256));
  files.WriteNext(1, Record(3, 7));
  files.Close(1);
  EXPECT_EQ(ReadBytes(dir.File("w.dat")).size(), 3003u);
}

TEST(RecordFiles, AReadOnlyFileStillOpensForReading) {
  TempDir dir;
  WriteBytes(dir.File("ro.dat"), Record(4, 9));
  std::filesystem::permissions(dir.File("ro.dat"), std::filesystem::perms::owner_read);
  RecordFiles files;
  files.Open(1, dir.File("ro.dat"), 4);
  std::vector<std::byte> out(4);
  files.Read(1, 1, out);
  EXPECT_EQ(out, Record(4, 9));
}

TEST(RecordFiles, AnUnreadableFileIsPermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempDir dir;
  WriteBytes(dir.File("locked.dat"), Record(4, 9));
  std::filesystem::permissions(dir.File("locked.dat"), std::filesystem::perms::none);
  RecordFiles files;
  EXPECT_EQ(ErrorOf([&] { files.Open(1, dir.File("locked.dat"), 4); }), err::kPermissionDenied);
}

TEST(RecordFiles, AWriteBeyondTheFileSizeLimitIsDiskFullOnce) {
  TempDir dir;
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = old;
  limited.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);

  RecordFiles files;
  files.Open(1, dir.File("full.dat"), 68);
  for (int i = 0; i < 100; ++i) files.WriteNext(1, Record(68, 1));
  const int error = ErrorOf([&] { files.Flush(1); });
  const int again = ErrorOf([&] { files.Flush(1); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_EQ(error, err::kDiskFull);
  EXPECT_EQ(again, 0);
  EXPECT_LE(ReadBytes(dir.File("full.dat")).size(), 1000u);
}

}  // namespace
}  // namespace tavelin
