// Text decoding, line splitting and the file reads and writes behind every
// document, settings and history file.
#include <gtest/gtest.h>

#include "../common/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TextFile.h"

namespace helmax {
namespace {

namespace fs = std::filesystem;

using TempFolder = test::TTempFolder;

using test::ReadBytes;
using test::WriteBytes;

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

// --- Decoding -------------------------------------------------------------

struct DecodeRow {
  const char* name;
  std::string bytes;
  std::string text;
};

class DecodeTextTest : public testing::TestWithParam<DecodeRow> {};

TEST_P(DecodeTextTest, GivesUtf8) { EXPECT_EQ(DecodeText(GetParam().bytes), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Rows, DecodeTextTest,
    testing::Values(
        DecodeRow{"Empty", "", ""}, DecodeRow{"Ascii", "a=1\r\n", "a=1\r\n"},
        DecodeRow{"BomSkipped", "\xEF\xBB\xBFx", "x"}, DecodeRow{"BomOnly", "\xEF\xBB\xBF", ""},
        DecodeRow{"Utf8Kept", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        DecodeRow{"Utf8EdgesKept", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF",
                  "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"},
        DecodeRow{"Latin1Byte", "caf\xE9", "caf\xC3\xA9"}, DecodeRow{"Euro", "\x80", "\xE2\x82\xAC"},
        DecodeRow{"Cp1252Letters", "\x8A\x9F\x99\x83", "\xC5\xA0\xC5\xB8\xE2\x84\xA2\xC6\x92"},
        DecodeRow{"UndefinedBytesAreC1", "\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        DecodeRow{"NoBreakSpaceAndY", "\xA0\xFF", "\xC2\xA0\xC3\xBF"},
        // One bad sequence makes the whole input Windows-1252, the valid
        // UTF-8 pair included.
        DecodeRow{"MixedFallsBackWhole", "\xC3\xA9\xE9", "\xC3\x83\xC2\xA9\xC3\xA9"},
        DecodeRow{"Overlong", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        DecodeRow{"OverlongThreeBytes", "\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
        DecodeRow{"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        DecodeRow{"AboveUnicode", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        DecodeRow{"Truncated", "x\xE2\x82", "x\xC3\xA2\xE2\x80\x9A"},
        DecodeRow{"BomThenCp1252",
                  "\xEF\xBB\xBF"
                  "caf\xE9",
                  "caf\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Lines ----------------------------------------------------------------

struct SplitRow {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

class SplitLinesTest : public testing::TestWithParam<SplitRow> {};

TEST_P(SplitLinesTest, Splits) { EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines); }

using Lines = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(Rows, SplitLinesTest,
                         testing::Values(SplitRow{"Empty", "", {}}, SplitRow{"NoLineEnd", "a", {"a"}},
                                         SplitRow{"TrailingEndAddsNothing", "a\n", {"a"}},
                                         SplitRow{"LoneLf", "\n", {""}}, SplitRow{"TwoEnds", "a\n\n", {"a", ""}},
                                         SplitRow{"CrLfBlank", "a\r\n\r\nb", {"a", "", "b"}},
                                         SplitRow{"LoneCr", "a\rb\r", {"a", "b"}},
                                         SplitRow{"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
                                         SplitRow{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
                                         SplitRow{"Mixed", "x\r\ny\nz\rw", {"x", "y", "z", "w"}},
                                         SplitRow{"KeepsSpaces", " a \r\n\t", {" a ", "\t"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every CR and LF goes, nothing else: checked against a plain filter.
TEST(RemoveLineEnds, DropsExactlyTheLineEndCharacters) {
  for (const char* text : {"", "\n", "\r", "a", "1,\n2\n", "\r\n\r\nb", "x\r\ny\nz\rw", "a\n\rb\r", " a \r\n\t",
                           "long line,\nwith two\nlines\n\n"}) {
    std::string expected;
    for (const char* c = text; *c != 0; ++c)
      if (*c != '\r' && *c != '\n') expected += *c;
    EXPECT_EQ(RemoveLineEnds(text), expected) << testing::PrintToString(std::string(text));
  }
  EXPECT_EQ(RemoveLineEnds(std::string_view()), "");
}

// --- Reading --------------------------------------------------------------

TEST(ReadTextFile, ReadsAndDecodes) {
  TempFolder dir;
  const std::string path = dir.File("old.txt");
  WriteBytes(path, std::string("\xEF\xBB\xBFx=1\r\n\0y", 10));
  std::string text, error = "stale";
  ASSERT_TRUE(ReadTextFile(path, text, error, kMebibyte));
  EXPECT_EQ(text, std::string("x=1\r\n\0y", 7));
  EXPECT_EQ(error, "");

  WriteBytes(path,
             "Fr\xFC"
             "he");
  ASSERT_TRUE(ReadTextFile(path, text, error, kMebibyte));
  EXPECT_EQ(text, "Fr\xC3\xBChe");
}

TEST(ReadTextFile, MissingFileNamesFileAndReason) {
  TempFolder dir;
  const std::string path = dir.File("none.txt");
  std::string text = "kept", error;
  EXPECT_FALSE(ReadTextFile(path, text, error, kMebibyte));
  EXPECT_EQ(error, "Cannot open file \"" + path + "\". No such file or directory");
  EXPECT_EQ(text, "kept");
}

// Files a reader must refuse without reading them, each with its reason;
// the text passed in stays as it was.
TEST(ReadTextFile, RefusesWhatIsNotARegularTextFileOfItsSize) {
  TempFolder dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  WriteBytes(dir.File("big"), std::string(kMebibyte + 1, 'x'));
  WriteBytes(dir.File("le"), "\xFF\xFEx\0");
  WriteBytes(dir.File("be"), "\xFE\xFF\0x");
  const struct {
    std::string path, reason;
  } rows[] = {
      {fifo, "It is not a regular file"},  // no writer: refused, not waited on
      {"/dev/zero", "It is not a regular file"},
      {dir.Path, "It is not a regular file"},
      {dir.File("big"), "It is too large (more than 1 MB)"},
      {dir.File("le"), "It is UTF-16 text; save it as UTF-8"},
      {dir.File("be"), "It is UTF-16 text; save it as UTF-8"},
  };
  for (const auto& row : rows) {
    std::string text = "kept", error;
    EXPECT_FALSE(ReadTextFile(row.path, text, error, kMebibyte)) << row.path;
    EXPECT_EQ(error, "Cannot read file \"" + row.path + "\". " + row.reason);
    EXPECT_EQ(text, "kept");
  }
  std::string text, error;
  EXPECT_TRUE(ReadTextFile(dir.File("big"), text, error, kMebibyte + 1)) << error;
  EXPECT_EQ(text.size(), kMebibyte + 1);
}

TEST(FileExists, OnlyForFiles) {
  TempFolder dir;
  WriteBytes(dir.File("a"), "");
  EXPECT_TRUE(FileExists(dir.File("a")));
  EXPECT_FALSE(FileExists(dir.File("b")));
  EXPECT_FALSE(FileExists(dir.Path));
}

// --- Atomic writes --------------------------------------------------------

TEST(WriteFileAtomic, CreatesAndReplacesLeavingNothingElse) {
  TempFolder dir;
  const std::string path = dir.File("doc.txt");
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(path, "first, longer content", error)) << error;
  EXPECT_EQ(ReadBytes(path), "first, longer content");
  ASSERT_TRUE(WriteFileAtomic(path, std::string("2\0", 2), error)) << error;
  EXPECT_EQ(ReadBytes(path), std::string("2\0", 2));
  ASSERT_TRUE(WriteFileAtomic(path, "", error)) << error;
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc.txt"});
}

TEST(WriteFileAtomic, ModeFollowsUmaskOrOwnerOnly) {
  TempFolder dir;
  const std::string path = dir.File("m");
  std::string error;
  const mode_t saved = ::umask(027);
  const bool shared = WriteFileAtomic(path, "x", error);
  const unsigned sharedMode = ModeOf(path);
  ::umask(saved);
  ASSERT_TRUE(shared) << error;
  EXPECT_EQ(sharedMode, 0640u);

  ASSERT_TRUE(WriteFileAtomic(path, "secret", error, true)) << error;
  EXPECT_EQ(ModeOf(path), 0600u);
}

TEST(WriteFileAtomic, MissingFolderFails) {
  TempFolder dir;
  const std::string path = dir.File("no/doc.txt");
  std::string error;
  EXPECT_FALSE(WriteFileAtomic(path, "x", error));
  EXPECT_EQ(error, "Cannot create file \"" + path + "\". No such file or directory");
}

TEST(WriteFileAtomic, FailedReplaceRemovesTemporaryFile) {
  TempFolder dir;
  const std::string path = dir.File("taken");
  fs::create_directory(path);  // a folder cannot be replaced by a file
  std::string error;
  EXPECT_FALSE(WriteFileAtomic(path, "x", error));
  EXPECT_EQ(error, "Cannot write file \"" + path + "\". Is a directory");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"taken"});
  EXPECT_TRUE(fs::is_directory(path));
}

TEST(WriteFileAtomic, FullDiskKeepsOldFile) {
  TempFolder dir;
  const std::string path = dir.File("doc.txt");
  WriteBytes(path, "old");
  std::string error;
  {
    const test::TFileSizeLimit full(16);
    EXPECT_FALSE(WriteFileAtomic(path, std::string(4096, 'n'), error));
  }
  EXPECT_EQ(error, "Cannot write file \"" + path + "\". File too large");
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc.txt"});
  // A read-only folder. Permissions do not bind root: the save runs as an
  // ordinary user (nobody, when the tests run as root), whose file it is.
  if (::geteuid() == 0) { ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0); }
  ASSERT_EQ(::chmod(dir.Path.c_str(), 0555), 0);
  const int failed = test::RunAsOrdinaryUser([&] {
    std::string denied;
    if (WriteFileAtomic(path, "new", denied)) return 1;
    if (denied != "Cannot create file \"" + path + "\". Permission denied") return 2;
    return 0;
  });
  EXPECT_EQ(failed, 0) << "1: the save into a read-only folder succeeded; 2: it gave another message; "
                       << test::CouldNotBecomeNobody << ": could not become nobody";
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc.txt"});
}

struct stat StatusOf(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info;
}

TEST(WriteFileAtomic, SymbolicLinkStaysAndItsTargetIsReplaced) {
  TempFolder dir;
  fs::create_directory(dir.File("synced"));
  const std::string real = dir.File("synced/real.txt");
  WriteBytes(real, "old");
  fs::create_symlink("synced/real.txt", dir.File("middle.txt"));  // relative, as users make them
  fs::create_symlink(dir.File("middle.txt"), dir.File("link.txt"));
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(dir.File("link.txt"), "new", error)) << error;
  EXPECT_EQ(ReadBytes(real), "new");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
  EXPECT_TRUE(fs::is_symlink(dir.File("middle.txt")));
  // The temporary file went beside the target and is gone.
  EXPECT_EQ(TempFolder::NamesIn(dir.File("synced")), std::vector<std::string>{"real.txt"});

  // A dangling link: the save creates the file it names.
  fs::create_symlink("synced/later.txt", dir.File("dangling.txt"));
  ASSERT_TRUE(WriteFileAtomic(dir.File("dangling.txt"), "first", error)) << error;
  EXPECT_EQ(ReadBytes(dir.File("synced/later.txt")), "first");
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.txt")));

  fs::create_symlink("loop-b", dir.File("loop-a"));
  fs::create_symlink("loop-a", dir.File("loop-b"));
  EXPECT_FALSE(WriteFileAtomic(dir.File("loop-a"), "x", error));
  EXPECT_EQ(error, "Cannot write file \"" + dir.File("loop-a") + "\". Too many levels of symbolic links");
}

TEST(WriteFileAtomic, HardLinkedFileIsRewrittenInPlace) {
  TempFolder dir;
  const std::string path = dir.File("doc.txt");
  WriteBytes(path, "old and longer");
  ASSERT_EQ(::link(path.c_str(), dir.File("twin.txt").c_str()), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const ino_t inode = StatusOf(path).st_ino;
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(path, "new", error)) << error;
  EXPECT_EQ(ReadBytes(dir.File("twin.txt")), "new");
  EXPECT_EQ(StatusOf(path).st_ino, inode);
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(dir.Names().size(), 2u);
  // A size limit fails on the copy, before the shared file is touched.
  {
    const test::TFileSizeLimit limit(8);
    EXPECT_FALSE(WriteFileAtomic(path, std::string(64, 'n'), error));
  }
  EXPECT_EQ(error, "Cannot write file \"" + path + "\". File too large");
  EXPECT_EQ(ReadBytes(dir.File("twin.txt")), "new");
  EXPECT_EQ(dir.Names().size(), 2u);
}

TEST(WriteFileAtomic, ReplacedFileKeepsModeOwnerAndGroup) {
  TempFolder dir;
  const std::string path = dir.File("private.txt");
  for (unsigned mode : {0600u, 0640u, 0604u}) {
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(path, "new", error)) << error;
    EXPECT_EQ(ModeOf(path), mode);
  }
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  // Root saving a user's file leaves it the user's.
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(path, "root's edit", error)) << error;
  EXPECT_EQ(StatusOf(path).st_uid, 65534u);
  EXPECT_EQ(StatusOf(path).st_gid, 65534u);
  ASSERT_TRUE(WriteFileAtomic(path, "settings", error, true)) << error;
  EXPECT_EQ(StatusOf(path).st_uid, 65534u);
  EXPECT_EQ(ModeOf(path), 0600u);
}

// A file without write bits stays as it is, for root too.
TEST(WriteFileAtomic, ReadOnlyFileIsRefusedAndKept) {
  TempFolder dir;
  const std::string path = dir.File("frozen.txt");
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  std::string error;
  EXPECT_FALSE(WriteFileAtomic(path, "new", error));
  EXPECT_EQ(error, "Cannot write file \"" + path + "\". The file is read-only");
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(ModeOf(path), 0444u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"frozen.txt"});
  EXPECT_FALSE(WriteFileAtomic("/dev/null", "x", error));
  EXPECT_EQ(error, "Cannot write file \"/dev/null\". It is not a regular file");
}

// The checks of an ordinary user, in a child that drops root's privileges
// (or in this process when it has none): a writable folder does not let a
// user replace a file that is not theirs to write.
TEST(WriteFileAtomic, OrdinaryUserCannotReplaceAnotherUsersFile) {
  TempFolder dir;
  ASSERT_EQ(::chmod(dir.Path.c_str(), 0777), 0);
  const std::string others = dir.File("others.txt"), frozen = dir.File("frozen.txt");
  WriteBytes(others, "theirs");
  WriteBytes(frozen, "mine, frozen");
  ASSERT_EQ(::chmod(others.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(frozen.c_str(), 0444), 0);
  const bool root = ::geteuid() == 0;
  if (root) ASSERT_EQ(::chown(frozen.c_str(), 65534, 65534), 0);
  else if (::access(others.c_str(), W_OK) == 0) GTEST_SKIP() << "needs root, to make a file this user may not write";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
    std::string error;
    if (WriteFileAtomic(others, "mine", error) || error != "Cannot write file \"" + others + "\". Permission denied")
      ::_exit(11);
    if (WriteFileAtomic(frozen, "thawed", error) ||
        error != "Cannot write file \"" + frozen + "\". The file is read-only")
      ::_exit(12);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(others), "theirs");
  EXPECT_EQ(ReadBytes(frozen), "mine, frozen");
  EXPECT_EQ(dir.Names().size(), 2u);
}

// With SIGXFSZ ignored a save past the file-size limit fails like a full
// disk instead of ending the process; in a child, whose limit goes with it.
TEST(WriteFileAtomic, FileSizeLimitFailsTheSaveNotTheProcess) {
  TempFolder dir;
  const std::string path = dir.File("doc.txt");
  WriteBytes(path, "old");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_DFL);
    IgnoreFileSizeSignal();
    rlimit limit{5000, 5000};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
    std::string error;
    if (WriteFileAtomic(path, std::string(100000, 'n'), error)) ::_exit(11);
    ::_exit(error == "Cannot write file \"" + path + "\". File too large" ? 0 : 12);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc.txt"});
}

TEST(RemoveStaleTemporaryFiles, RemovesOnlyOldUnlockedOnesOfItsOwnNaming) {
  TempFolder dir;
  const std::time_t start = std::time(nullptr);
  auto make = [&](const std::string& name, bool old) {
    WriteBytes(dir.File(name), "x");
    if (!old) return;
    const timeval times[2] = {{start - 3600, 0}, {start - 3600, 0}};
    ::utimes(dir.File(name).c_str(), times);
  };
  make("doc.txt", true);
  make("doc.txt.helmax-tmp-a1B2c3", true);          // an interrupted save: removed
  make("helmax-calc.ini.helmax-tmp-Zz9yY8", true);  // removed
  make("doc.txt.helmax-tmp-recent", false);         // written since the start: kept
  make("doc.txt.helmax-tmp-locked", true);          // a save under way: kept
  make("doc.txt.tmp-a1B2c3", true);                 // not this program's naming
  make("doc.txt.helmax-tmp-", true);
  fs::create_directory(dir.File("sub.helmax-tmp-abcdef"));
  const int held = ::open(dir.File("doc.txt.helmax-tmp-locked").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir.Path, start), 2);
  ::close(held);
  std::vector<std::string> names = dir.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"doc.txt", "doc.txt.helmax-tmp-", "doc.txt.helmax-tmp-locked",
                                      "doc.txt.helmax-tmp-recent", "doc.txt.tmp-a1B2c3", "sub.helmax-tmp-abcdef"}));
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir.File("missing"), start), 0);
}

// --- Appending ------------------------------------------------------------

TEST(AppendToFile, CreatesThenAppends) {
  TempFolder dir;
  const std::string path = dir.File("log.txt");
  std::string error;
  ASSERT_TRUE(AppendToFile(path, "ab\r\n", error)) << error;
  ASSERT_TRUE(AppendToFile(path, "cd\r\n", error)) << error;
  EXPECT_EQ(ReadBytes(path), "ab\r\ncd\r\n");
}

TEST(AppendToFile, MissingFolderFails) {
  TempFolder dir;
  const std::string path = dir.File("no/log.txt");
  std::string error;
  EXPECT_FALSE(AppendToFile(path, "x", error));
  EXPECT_EQ(error, "Cannot open file \"" + path + "\". No such file or directory");
}

}  // namespace
}  // namespace helmax
