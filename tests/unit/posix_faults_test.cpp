// What a POSIX system can put in the copy's way: pipes in place of files,
// links into the target, other runs' temporary files, and a view of the
// source folder through FUSE.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "copy_run.h"
#include "run/run.h"

namespace {

using Strings = std::vector<std::string>;
const PackedDateTime kDay1 = Packed(2001, 1, 1, 0, 0, 0), kDay2 = Packed(2002, 1, 1, 0, 0, 0);

TEST_F(CopyRun, AFileThatIsNoOrdinaryFileWhenOpenedIsReportedNotWaitedFor) {
  ListFiles({{"pipe", kDay1}, {"after", kDay2}});
  unlink((source_ + "pipe").c_str());
  ASSERT_EQ(mkfifo((source_ + "pipe").c_str(), 0644), 0);
  RunDialog();  // never ends if the pipe is opened to be read
  EXPECT_EQ(testfs::Names(target_), Strings{"00001_2002_01_01_00_00_after"});
  ASSERT_EQ(CopyFailureCount, 1u);
  EXPECT_STREQ(CopyFailures[0].name, "pipe");
  EXPECT_STREQ(CopyFailures[0].reason, "not an ordinary file");
}

TEST_F(CopyRun, ACopyNeverReplacesTheFileThatASourceLinkLeadsTo) {
  // The first copy's name is taken by a file that a listed link leads to.
  std::string taken = target_ + "00000_2001_01_01_00_00_a";
  testfs::WriteFile(taken, "precious");
  ASSERT_EQ(symlink(taken.c_str(), (source_ + "link").c_str()), 0);
  testfs::WriteFile(source_ + "a", "a");
  BuildList({{"a", kDay1}, {"link", kDay2}});
  RunDialog();
  EXPECT_EQ(testfs::ReadFile(taken), "precious");
  EXPECT_EQ(testfs::ReadFile(target_ + "00001_2002_01_01_00_00_link"), "precious");
  ASSERT_EQ(CopyFailureCount, 1u);
  EXPECT_STREQ(CopyFailures[0].name, "a");
}

TEST_F(CopyRun, AFileWithHolesIsCopiedWithItsHoles) {
  // Data at the start and in the middle, holes between and at the end.
  const off_t mib = 1 << 20;
  int fd = open((source_ + "sparse").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, "head", 4, 0), 4);
  ASSERT_EQ(pwrite(fd, "middle", 6, 5 * mib), 6);
  ASSERT_EQ(ftruncate(fd, 12 * mib), 0);
  close(fd);
  struct stat source, copy;
  ASSERT_EQ(stat((source_ + "sparse").c_str(), &source), 0);
  if (source.st_blocks * 512 >= source.st_size) GTEST_SKIP() << "this file system keeps no holes";
  BuildList({{"sparse", kDay1}});
  RunDialog();
  const std::string copied = target_ + "00000_2001_01_01_00_00_sparse";
  ASSERT_EQ(stat(copied.c_str(), &copy), 0);
  EXPECT_EQ(copy.st_size, 12 * mib);
  EXPECT_LT(copy.st_blocks * 512, mib);  // not the 12 MiB that a copy of the zeros takes
  EXPECT_TRUE(testfs::ReadFile(copied) == testfs::ReadFile(source_ + "sparse"));
}

TEST_F(CopyRun, LeftoversOfEndedRunsGoAndThoseOfRunsStillGoingStay) {
  for (const char* name : {".tavro-copy-ended1", ".tavro-probe-ended2", ".tavro-copy-going", ".other"})
    testfs::WriteFile(target_ + name, "half a copy");
  int going = open((target_ + ".tavro-copy-going").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(going, LOCK_EX), 0);  // as another run writing it holds it
  ListFiles({{"a", kDay1}});
  RunDialog();
  close(going);
  EXPECT_EQ(testfs::Names(target_), (Strings{".other", ".tavro-copy-going", "00000_2001_01_01_00_00_a"}));
}

// The copy's stamp of midnight UTC on that day of January 2001 in local time,
// by the bias of the zone in force now, as the run converts every time.
std::string LocalStamp(unsigned day) {
  time_t now = time(nullptr), seconds;
  struct tm fields;
  seconds = testfs::UnixTime(2001, 1, day, 0, 0, 0) + localtime_r(&now, &fields)->tm_gmtoff;
  char text[32];
  strftime(text, sizeof text, "%Y_%m_%d_%H_%M_", gmtime_r(&seconds, &fields));
  return text;
}

// A view of the source folder through FUSE has an identity of its own.
class SourceView : public ::testing::Test {
 protected:
  void SetUp() override {
    script::Reset();
    source_ = testfs::NewFolder();
    view_ = testfs::NewFolder();
    for (unsigned day : {1, 2}) {
      std::string name = day == 1 ? "a.jpg" : "b.jpg";
      testfs::WriteFile(source_ + name, name);
      testfs::SetTimes(source_ + name, testfs::UnixTime(2020, 1, 1, 0, 0, 0), testfs::UnixTime(2001, 1, day, 0, 0, 0));
    }
    if (system(("bindfs '" + source_ + "' '" + view_ + "' 2>/dev/null").c_str()) != 0)
      GTEST_SKIP() << "bindfs cannot make a FUSE view here";
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_ && system(("fusermount3 -u '" + view_ + "' 2>/dev/null || umount '" + view_ + "'").c_str()) != 0)
      ADD_FAILURE() << "the view stays mounted";
    testfs::RemoveTree(view_);
    testfs::RemoveTree(source_);
  }
  std::string source_, view_;
  bool mounted_ = false;
};

TEST_F(SourceView, ClearingThroughItDeletesNoSourceFileAndLeavesNoProbe) {
  EXPECT_TRUE(IsSameFolder(source_.c_str(), view_.c_str()));
  EXPECT_TRUE(IsSameFolder(view_.c_str(), source_.c_str()));
  script::AnswerFolders({{true, source_}, {true, view_}});
  script::AnswerMessages({kAnswerYes});
  EXPECT_EQ(RunProgram(nullptr), 0);
  EXPECT_EQ(testfs::Names(source_),
            (Strings{"00000_" + LocalStamp(1) + "a.jpg", "00001_" + LocalStamp(2) + "b.jpg", "a.jpg", "b.jpg"}));
  EXPECT_EQ(testfs::ReadFile(source_ + "a.jpg"), "a.jpg");
}

TEST(Clearing, KeepsAListedFileReachedThroughAnotherName) {
  script::Reset();
  std::string source = testfs::NewFolder(), target = testfs::NewFolder();
  testfs::WriteFile(source + "a.jpg", "a");
  ASSERT_EQ(link((source + "a.jpg").c_str(), (target + "same.jpg").c_str()), 0);
  testfs::WriteFile(target + "old.jpg", "old");
  script::AnswerFolders({{true, source}, {true, target}});
  script::AnswerMessages({kAnswerYes});
  RunProgram(nullptr);
  EXPECT_TRUE(testfs::Exists(target + "same.jpg"));
  EXPECT_FALSE(testfs::Exists(target + "old.jpg"));
  testfs::RemoveTree(target);
  testfs::RemoveTree(source);
}

}  // namespace
