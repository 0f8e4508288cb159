// What a POSIX system can put in the copy's way: pipes in place of files,
// links into the target, other runs' temporary files, and a view of the
// source folder through FUSE.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "copy_run.h"
#include "platform/test_hooks.h"
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
  EXPECT_STREQ(CopyFailures[0].reason, "its new name is held by a file of the source, which is kept");
}

// Where the kernel links unnamed files neither by their descriptor nor
// through /proc, each copy is made under a temporary name instead.
TEST_F(CopyRun, WithoutAWayToLinkUnnamedFilesCopiesAreMadeUnderATemporaryName) {
  ListFiles({{"a", kDay1}, {"b", kDay2}});
  SetNoLinkRoutesForTests(true);
  RunDialog();
  SetNoLinkRoutesForTests(false);
  EXPECT_EQ(CopyFailureCount, 0u) << CopyFailures[0].reason;
  EXPECT_EQ(testfs::Names(target_), (Strings{"00000_2001_01_01_00_00_a", "00001_2002_01_01_00_00_b"}));
}

// Set-user-ID, set-group-ID and sticky do not travel into a copy, which is
// now of another owner, and which some file systems refuse with them.
TEST_F(CopyRun, ACopyKeepsOnlyThePlainPermissions) {
  ListFiles({{"tool", kDay1}});
  ASSERT_EQ(chmod((source_ + "tool").c_str(), 07755), 0);
  RunDialog();
  struct stat copy;
  ASSERT_EQ(stat((target_ + "00000_2001_01_01_00_00_tool").c_str(), &copy), 0);
  EXPECT_EQ(copy.st_mode & 07777, 0755u);
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

TEST_F(CopyRun, OnlyLeftoversOfEndedRunsGo) {
  const std::string ended[] = {".tavro-copy-aB3dE5fG7hJ9", ".tavro-probe-000000000000"};
  // Not the program's own form; changed a moment ago (a run still going,
  // whose lock another path does not see); locked; another user's; no
  // ordinary file.
  const std::string kept[] = {".tavro-copy-notes.txt", ".tavro-copy-fresh0fresh0", ".tavro-copy-locked0locke",
                              ".tavro-copy-0ther0user00", ".tavro-probe-fifo00fifo00", ".tavro-copy-link00link00"};
  const int64_t now = time(nullptr), hour = 3600;
  for (const std::string& name : ended) testfs::WriteFile(target_ + name, "half a copy");
  for (const std::string& name : kept) testfs::WriteFile(target_ + name, "half a copy");
  testfs::SetTimes(target_ + kept[1], now + 2 * hour, now + 2 * hour);
  int locked = open((target_ + kept[2]).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(locked, LOCK_EX), 0);
  bool root = chown((target_ + kept[3]).c_str(), 65534, 65534) == 0;
  unlink((target_ + kept[4]).c_str());
  ASSERT_EQ(mkfifo((target_ + kept[4]).c_str(), 0600), 0);
  unlink((target_ + kept[5]).c_str());
  ASSERT_EQ(symlink((target_ + kept[2]).c_str(), (target_ + kept[5]).c_str()), 0);
  ListFiles({{"a", kDay1}});
  SetLeftoverClockForTests(2 * hour);  // every file but the fresh one is two hours old now
  RunDialog();
  SetLeftoverClockForTests(0);
  close(locked);
  Strings expected(std::begin(kept), std::end(kept));
  if (!root) expected.erase(expected.begin() + 3);
  expected.push_back("00000_2001_01_01_00_00_a");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(testfs::Names(target_), expected);
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
  EXPECT_EQ(CompareFolders(source_.c_str(), view_.c_str()), kSameFolder);
  EXPECT_EQ(CompareFolders(view_.c_str(), source_.c_str()), kSameFolder);
  script::AnswerFolders({{true, source_}, {true, view_}});
  script::AnswerMessages({kAnswerYes, kAnswerOk});
  EXPECT_EQ(RunProgram(nullptr), 6);
  EXPECT_EQ(script::EventsStartingWith("message|Fehler|"),
            Strings{"message|Fehler|The target folder was not emptied: it is the source folder.|1|error|1"});
  EXPECT_EQ(testfs::Names(source_),
            (Strings{"00000_" + LocalStamp(1) + "a.jpg", "00001_" + LocalStamp(2) + "b.jpg", "a.jpg", "b.jpg"}));
  EXPECT_EQ(testfs::ReadFile(source_ + "a.jpg"), "a.jpg");
}

TEST(Clearing, KeepsAListedFileReachedThroughAnotherNameOrALongPath) {
  script::Reset();
  std::string top = testfs::NewFolder(), target = testfs::NewFolder();
  // The source's path and a link's name are long enough that together they
  // pass every buffer of a composed path but the folder's and the name's.
  std::string source = top + std::string(200, 's') + "/";
  testfs::MakeFolder(source);
  testfs::WriteFile(source + "a.jpg", "a");
  ASSERT_EQ(link((source + "a.jpg").c_str(), (target + "same.jpg").c_str()), 0);
  testfs::WriteFile(target + "linked.jpg", "linked");
  ASSERT_EQ(symlink((target + "linked.jpg").c_str(), (source + std::string(150, 'l')).c_str()), 0);
  testfs::WriteFile(target + "old.jpg", "old");
  script::AnswerFolders({{true, source}, {true, target}});
  script::AnswerMessages({kAnswerYes});
  RunProgram(nullptr);
  EXPECT_TRUE(testfs::Exists(target + "same.jpg"));
  EXPECT_EQ(testfs::ReadFile(target + "linked.jpg"), "linked");
  EXPECT_FALSE(testfs::Exists(target + "old.jpg"));
  testfs::RemoveTree(target);
  testfs::RemoveTree(top);
}

// A source the user may enter but not list is no empty folder: the run says
// so, and nothing in the target is touched.
TEST(SourceFolder, OneThatCannotBeListedIsToldBeforeTheTargetIsTouched) {
  script::Reset();
  std::string top = testfs::NewFolder(), source = top + "photos/", target = testfs::NewFolder();
  testfs::MakeFolder(source);
  testfs::WriteFile(source + "a.jpg", "a");
  testfs::WriteFile(target + "old.jpg", "old");
  for (const std::string& folder : {top, source}) chmod(folder.c_str(), 0711);
  chmod(target.c_str(), 0777);
  chmod((target + "old.jpg").c_str(), 0666);
  script::AnswerFolders({{true, source}, {true, target}});
  script::AnswerMessages({kAnswerYes, kAnswerOk});
  // Root may list any folder: the run is made as nobody.
  EXPECT_EXIT((geteuid() != 0 || (setresgid(65534, 65534, 65534) == 0 && setresuid(65534, 65534, 65534) == 0))
                  ? exit(RunProgram(nullptr))
                  : exit(99),
              ::testing::ExitedWithCode(6), "Fehler.*The source folder could not be read: Permission denied");
  EXPECT_EQ(testfs::ReadFile(target + "old.jpg"), "old");
  testfs::RemoveTree(target);
  testfs::RemoveTree(top);
}

// File systems of the tests' own, each mounted on a new folder, all unmounted
// and removed at the end; mounting needs root.
class FileSystems : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "mounting file systems needs root";
    work_ = testfs::NewFolder();
  }
  void TearDown() override {
    for (auto point = points_.rbegin(); point != points_.rend(); ++point)
      if (system(("umount '" + *point + "' 2>/dev/null || fusermount3 -u '" + *point + "'").c_str()) != 0)
        ADD_FAILURE() << *point << " stays mounted";
    for (const std::string& device : devices_)
      if (system(("losetup -d " + device).c_str()) != 0) ADD_FAILURE() << device << " stays attached";
    if (!work_.empty()) testfs::RemoveTree(work_);
  }
  // Mounts with the command (which takes the mount point last) on a new folder.
  std::string Mount(const std::string& name, const std::string& command) {
    std::string point = work_ + name;
    testfs::MakeFolder(point);
    if (system((command + " '" + point + "' >/dev/null").c_str()) != 0) ADD_FAILURE() << "cannot mount " << name;
    else points_.push_back(point);
    return point + "/";
  }
  std::string Tmpfs(const std::string& name, const std::string& options) {
    return Mount(name, "mount -t tmpfs -o " + options + " tavro-test");
  }
  // An exFAT file system in a file, through exfat-fuse, which wants a block device.
  std::string Exfat(const std::string& name) {
    std::string image = work_ + name + ".img", device = image + ".device";
    if (system(("truncate -s 32M " + image + " && mkfs.exfat " + image + " >/dev/null && losetup -f --show " +
                image + " >" + device).c_str()) != 0)
      ADD_FAILURE() << "cannot make " << image;
    std::string loop = testfs::ReadFile(device);
    loop = loop.substr(0, loop.find('\n'));
    devices_.push_back(loop);
    return Mount(name, "mount.exfat-fuse " + loop);
  }
  std::string Ext4(const std::string& name) {
    std::string image = work_ + name + ".img";
    if (system(("truncate -s 16M " + image + " && mkfs.ext4 -q " + image).c_str()) != 0) ADD_FAILURE();
    return Mount(name, "mount -o loop " + image);
  }
  std::string View(const std::string& name, const std::string& folder, const std::string& mode) {
    return Mount(name, "/usr/bin/python3 " TAVRO_FUSE_VIEW " " + mode + " '" + folder + "'");
  }

  // Photos number from to number to, each a day younger than the one before.
  static void Photos(const std::string& folder, int from, int to) {
    for (int i = from; i <= to; i++) {
      testfs::WriteFile(folder + "img_" + std::to_string(i) + ".jpg", "photo " + std::to_string(i));
      testfs::SetTimes(folder + "img_" + std::to_string(i) + ".jpg", testfs::UnixTime(2024, 1, 1, 0, 0, 0),
                       testfs::UnixTime(2023, 12, i, 10, 0, 0));
    }
  }
  static int RunWithYes(const std::string& source, const std::string& target) {
    script::Reset();
    script::AnswerFolders({{true, source}, {true, target}});
    script::AnswerMessages({kAnswerYes, kAnswerOk});
    return RunProgram(nullptr);
  }

  std::string work_;
  Strings points_, devices_;
};

// A file that keeps growing is copied as long as it was when it was opened:
// else a writer that never stops would hold the copy, and a stop, for ever.
TEST_F(FileSystems, AFileThatKeepsGrowingIsCopiedAsLongAsItWasWhenOpened) {
  std::string real = work_ + "real/", target = work_ + "target/";
  testfs::MakeFolder(real);
  testfs::MakeFolder(target);
  testfs::WriteFile(real + "live.log", "log");
  std::string view = View("view", real, "grow=live.log");
  script::Reset();
  script::AnswerFolders({{true, view}, {true, target}});
  script::AnswerMessages({kAnswerNo});
  EXPECT_EQ(RunProgram(nullptr), 0);
  Strings names = testfs::Names(target);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_LT(testfs::ReadFile(target + names[0]).size(), 16u << 20);  // it grows to 256 MiB
}

// Fresh file systems number their files alike from the start, and a copy
// keeps its source's size and time: only the volume tells an old copy from a
// listed file.
TEST_F(FileSystems, YesClearsTheOldCopiesOnFreshFileSystems) {
  for (bool exfat : {false, true}) {
    SCOPED_TRACE(exfat ? "a camera card and a stick, exFAT through FUSE" : "two fresh tmpfs");
    std::string card = exfat ? Exfat("card") : Tmpfs("card1", "size=4m");
    std::string stick = exfat ? Exfat("stick") : Tmpfs("stick1", "size=4m");
    std::string source = card + "DCIM/", target = stick + "Photos/";
    testfs::MakeFolder(source);
    testfs::MakeFolder(target);
    Photos(source, 2, 5);
    EXPECT_EQ(RunWithYes(source, target), 0);
    Photos(source, 1, 1);  // older than the others: every sequence number moves
    EXPECT_EQ(RunWithYes(source, target), 0) << script::Events().back();
    Strings names = testfs::Names(target);
    ASSERT_EQ(names.size(), 5u);
    for (int i = 0; i < 5; i++) {
      EXPECT_EQ(names[i].substr(0, 6), "0000" + std::to_string(i) + "_");
      EXPECT_EQ(names[i].substr(names[i].size() - 9), "img_" + std::to_string(i + 1) + ".jpg");
    }
  }
}

// A view with file numbers of its own may show the source under the target's
// path, or the target under the source's: clearing keeps every source file,
// and the run tells what it left undone.
TEST_F(FileSystems, NoSourceFileIsLostThroughAViewWithNumbersOfItsOwn) {
  struct Case {
    const char* what;
    const char* mode;
    bool sourceIsView, noFreeFiles;
    const char* told;
  } const cases[] = {
      {"target a view that hides dot names", "hide-dots", false, false, "was not emptied: it is the source"},
      {"target a view that refuses dot names", "refuse-dots", false, false, "could not be told apart"},
      {"target a view of a file system without free files", "plain", false, true, "could not be told apart"},
      {"source a view that hides dot names", "hide-dots", true, false, "3 files were kept in the target"},
  };
  int row = 0;
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    std::string tag = std::to_string(row++);
    std::string real = test.noFreeFiles ? Tmpfs("full" + tag, "nr_inodes=4") : work_ + "real" + tag + "/";
    testfs::MakeFolder(real);
    Photos(real, 1, 3);
    std::string view = View("view" + tag, real, test.mode);
    EXPECT_EQ(test.sourceIsView ? RunWithYes(view, real) : RunWithYes(real, view), 6);
    for (int i = 1; i <= 3; i++)
      EXPECT_EQ(testfs::ReadFile(real + "img_" + std::to_string(i) + ".jpg"), "photo " + std::to_string(i));
    for (const std::string& name : testfs::Names(real)) EXPECT_NE(name.compare(0, 13, ".tavro-probe-"), 0) << name;
    Strings told = script::EventsStartingWith("message|Fehler|");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(test.told), std::string::npos) << told[0];
  }
}

// Reading ahead brings files that have left memory back, and changes nothing:
// no access time, no wait on a pipe, no link followed.
TEST_F(FileSystems, ReadingAheadBringsTheSourceBackAndChangesNothing) {
  std::string source = Ext4("disk");
  Photos(source, 1, 20);
  ASSERT_EQ(mkfifo((source + "pipe").c_str(), 0644), 0);
  ASSERT_EQ(symlink((source + "pipe").c_str(), (source + "link").c_str()), 0);
  sync();
  // How many photos are in memory (looked at without reading, which would
  // bring them in); each is sent out of it after the look.
  auto inMemory = [&] {
    int found = 0;
    for (int i = 1; i <= 20; i++) {
      int fd = open((source + "img_" + std::to_string(i) + ".jpg").c_str(), O_RDONLY | O_NOATIME);
      void* map = mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd, 0);
      unsigned char page = 0;
      EXPECT_EQ(mincore(map, 1, &page), 0);
      found += page & 1;
      munmap(map, 1);
      posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
      close(fd);
    }
    return found;
  };
  inMemory();
  ReadAheadFolder(source.c_str(), [] { return false; });
  EXPECT_EQ(inMemory(), 0);
  ReadAheadFolder(source.c_str(), [] { return true; });
  usleep(500000);  // the reads were only asked for
  EXPECT_EQ(inMemory(), 20);
  for (int i = 1; i <= 20; i++) {
    struct stat photo;
    ASSERT_EQ(stat((source + "img_" + std::to_string(i) + ".jpg").c_str(), &photo), 0);
    EXPECT_EQ(photo.st_atime, testfs::UnixTime(2024, 1, 1, 0, 0, 0));
  }
}

}  // namespace
