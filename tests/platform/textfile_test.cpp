// Text decoding, line splitting and the file reads and writes behind every
// document, settings and history file.
#include <gtest/gtest.h>

#include "../common/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
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
        DecodeRow{"Utf8EdgesKept", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"},
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
        DecodeRow{"BomThenCp1252", "\xEF\xBB\xBF" "caf\xE9", "caf\xC3\xA9"}),
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
INSTANTIATE_TEST_SUITE_P(
    Rows, SplitLinesTest,
    testing::Values(SplitRow{"Empty", "", {}}, SplitRow{"NoLineEnd", "a", {"a"}},
                    SplitRow{"TrailingEndAddsNothing", "a\n", {"a"}}, SplitRow{"LoneLf", "\n", {""}},
                    SplitRow{"TwoEnds", "a\n\n", {"a", ""}}, SplitRow{"CrLfBlank", "a\r\n\r\nb", {"a", "", "b"}},
                    SplitRow{"LoneCr", "a\rb\r", {"a", "b"}}, SplitRow{"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
                    SplitRow{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
                    SplitRow{"Mixed", "x\r\ny\nz\rw", {"x", "y", "z", "w"}},
                    SplitRow{"KeepsSpaces", " a \r\n\t", {" a ", "\t"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every CR and LF goes, nothing else: checked against a plain filter.
TEST(RemoveLineEnds, DropsExactlyTheLineEndCharacters) {
  for (const char* text : {"", "\n", "\r", "a", "1,\n2\n", "\r\n\r\nb", "x\r\ny\nz\rw", "a\n\rb\r",
                           " a \r\n\t", "long line,\nwith two\nlines\n\n"}) {
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
  ASSERT_TRUE(ReadTextFile(path, text, error));
  EXPECT_EQ(text, std::string("x=1\r\n\0y", 7));
  EXPECT_EQ(error, "");

  WriteBytes(path, "Fr\xFC" "he");
  ASSERT_TRUE(ReadTextFile(path, text, error));
  EXPECT_EQ(text, "Fr\xC3\xBChe");
}

TEST(ReadTextFile, MissingFileNamesFileAndReason) {
  TempFolder dir;
  const std::string path = dir.File("none.txt");
  std::string text = "kept", error;
  EXPECT_FALSE(ReadTextFile(path, text, error));
  EXPECT_EQ(error, "Cannot open file \"" + path + "\". No such file or directory");
  EXPECT_EQ(text, "kept");
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
  // A read-only folder, for users whom permissions bind.
  ASSERT_EQ(::chmod(dir.Path.c_str(), 0555), 0);
  if (test::FolderPermissionsApply(dir.Path)) {
    EXPECT_FALSE(WriteFileAtomic(path, "new", error));
    EXPECT_EQ(error, "Cannot create file \"" + path + "\". Permission denied");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc.txt"});
  }
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
