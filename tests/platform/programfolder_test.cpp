// Choosing the folder for the program's own files.
#include <gtest/gtest.h>

#include "../common/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "ProgramFolder.h"

namespace helmax {
namespace {

namespace fs = std::filesystem;

using TempFolder = test::TTempFolder;

// Sets or clears an environment variable and puts the old value back.
class EnvSetting {
 public:
  EnvSetting(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value != nullptr) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~EnvSetting() {
    if (FOld) ::setenv(FName, FOld->c_str(), 1);
    else ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

// --- User data folder -----------------------------------------------------

struct DataFolderRow {
  const char* name;
  const char* xdg;  // nullptr: unset
  const char* home;
  const char* folder;
};

class UserDataFolderTest : public testing::TestWithParam<DataFolderRow> {};

TEST_P(UserDataFolderTest, Folder) {
  const EnvSetting xdg("XDG_DATA_HOME", GetParam().xdg);
  const EnvSetting home("HOME", GetParam().home);
  EXPECT_EQ(UserDataFolder("calc"), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UserDataFolderTest,
    testing::Values(DataFolderRow{"XdgAbsolute", "/x/data", "/home/u", "/x/data/calc/"},
                    DataFolderRow{"XdgTrailingSlash", "/x/data/", "/home/u", "/x/data/calc/"},
                    DataFolderRow{"XdgRelativeIgnored", "x/data", "/home/u", "/home/u/.local/share/calc/"},
                    DataFolderRow{"XdgEmptyIgnored", "", "/home/u", "/home/u/.local/share/calc/"},
                    DataFolderRow{"XdgUnset", nullptr, "/home/u", "/home/u/.local/share/calc/"},
                    DataFolderRow{"HomeTrailingSlash", nullptr, "/home/u/", "/home/u/.local/share/calc/"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Writability ----------------------------------------------------------

TEST(FolderIsWritable, ProbeLeavesNothingBehind) {
  TempFolder dir;
  EXPECT_TRUE(FolderIsWritable(dir.Path));
  EXPECT_TRUE(FolderIsWritable(dir.Path + "/"));
  EXPECT_TRUE(dir.IsEmpty());
}

TEST(FolderIsWritable, MissingOrEmptyIsNot) {
  TempFolder dir;
  EXPECT_FALSE(FolderIsWritable(dir.Path + "/missing"));
  EXPECT_FALSE(FolderIsWritable(""));
}

TEST(FolderIsWritable, FolderThatTakesNoFileIsNot) {
  TempFolder dir;
  const std::string plain = dir.File("plain");
  test::WriteBytes(plain, "x");
  EXPECT_FALSE(FolderIsWritable(plain));           // a regular file
  EXPECT_FALSE(FolderIsWritable(plain + "/sub"));  // a path through a regular file
  // A read-only folder. Permissions do not bind root: the check runs as an
  // ordinary user (nobody, when the tests run as root).
  ASSERT_EQ(::chmod(dir.Path.c_str(), 0555), 0);
  EXPECT_EQ(test::RunAsOrdinaryUser([&] { return FolderIsWritable(dir.Path) ? 1 : 0; }), 0)
      << "1: the read-only folder was taken as writable; " << test::CouldNotBecomeNobody << ": could not become nobody";
}

// --- Choosing -------------------------------------------------------------

TEST(ChooseProgramFolder, WritableExeFolderWins) {
  TempFolder dir;
  const std::string user = dir.Path + "/user/calc/";
  EXPECT_EQ(ChooseProgramFolder(dir.Path, user), dir.Path + "/");
  EXPECT_FALSE(fs::exists(user));  // not created when not needed
}

TEST(ChooseProgramFolder, MissingExeFolderFallsBackAndCreates) {
  TempFolder dir;
  const std::string user = dir.Path + "/share/nested/calc";
  EXPECT_EQ(ChooseProgramFolder(dir.Path + "/gone/", user), user + "/");
  EXPECT_TRUE(fs::is_directory(user));
  EXPECT_EQ(ChooseProgramFolder("", user), user + "/");  // already there
}

TEST(ChooseProgramFolder, ExeFolderThatTakesNoFileFallsBack) {
  TempFolder exe, home;
  const std::string plain = exe.File("plain");
  test::WriteBytes(plain, "x");
  const std::string user = home.Path + "/calc/";
  EXPECT_EQ(ChooseProgramFolder(plain + "/", user), user);
  EXPECT_TRUE(fs::is_directory(user));
  EXPECT_EQ(exe.Names(), std::vector<std::string>{"plain"});
  // A read-only program folder. Permissions do not bind root: the check runs
  // as an ordinary user (nobody, when the tests run as root).
  ASSERT_EQ(::chmod(exe.Path.c_str(), 0555), 0);
  const int failed = test::RunAsOrdinaryUser([&] {
    if (ChooseProgramFolder(exe.Path + "/", user) != user) return 1;
    if (exe.Names() != std::vector<std::string>{"plain"}) return 2;
    return 0;
  });
  EXPECT_EQ(failed, 0) << "1: the read-only folder was chosen; 2: something was left in it; "
                       << test::CouldNotBecomeNobody << ": could not become nobody";
}

// An installation's bin folder has the licence in ../share/doc/helmax; a
// build folder has only the sample data in ../share/helmax.
TEST(IsInstalledProgramFolder, OnlyBesideTheInstalledLicence) {
  TempFolder prefix;
  fs::create_directories(prefix.File("bin"));
  fs::create_directories(prefix.File("share/helmax"));
  test::WriteBytes(prefix.File("share/helmax/sample-rates.fdb"), "x");
  EXPECT_FALSE(IsInstalledProgramFolder(prefix.File("bin") + "/"));
  fs::create_directories(prefix.File("share/doc/helmax/copyright"));  // a folder is no licence
  EXPECT_FALSE(IsInstalledProgramFolder(prefix.File("bin")));
  fs::remove(prefix.File("share/doc/helmax/copyright"));
  test::WriteBytes(prefix.File("share/doc/helmax/copyright"), "Format: ...");
  EXPECT_TRUE(IsInstalledProgramFolder(prefix.File("bin") + "/"));
  EXPECT_TRUE(IsInstalledProgramFolder(prefix.File("bin")));
  EXPECT_FALSE(IsInstalledProgramFolder(""));
}

// --- Finding a file without writing ----------------------------------------

TEST(FindSiblingFile, ExeFolderFirstThenUserFolderAndNothingCreated) {
  TempFolder exe, home;
  const std::string user = home.Path + "/share/calc";
  EXPECT_EQ(FindSiblingFile(exe.Path, user, "calc.cnv"), "");
  EXPECT_FALSE(fs::exists(user));
  fs::create_directories(user);
  test::WriteBytes(user + "/calc.cnv", "u");
  EXPECT_EQ(FindSiblingFile(exe.Path, user, "calc.cnv"), user + "/calc.cnv");
  test::WriteBytes(exe.File("calc.cnv"), "e");
  EXPECT_EQ(FindSiblingFile(exe.Path + "/", user, "calc.cnv"), exe.File("calc.cnv"));
  // A folder of that name is no file.
  fs::remove(exe.File("calc.cnv"));
  fs::create_directory(exe.File("calc.cnv"));
  EXPECT_EQ(FindSiblingFile(exe.Path, user, "calc.cnv"), user + "/calc.cnv");
  EXPECT_EQ(exe.Names(), std::vector<std::string>{"calc.cnv"});
}

// --- The running program --------------------------------------------------

TEST(RunningProgram, ExecutablePathIsThisTest) {
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_TRUE(fs::is_regular_file(exe));
  EXPECT_EQ(fs::path(exe).filename(), "programfolder_test");
  EXPECT_EQ(ProgramBaseName(), "programfolder_test");
}

TEST(RunningProgram, SiblingFileLivesInProgramFolder) {
  // A user data folder inside a temporary home, in case the build folder is
  // read-only for this user.
  TempFolder home;
  const EnvSetting xdg("XDG_DATA_HOME", nullptr);
  const EnvSetting homeVar("HOME", home.Path.c_str());
  const std::string exeFolder = fs::path(ExecutablePath()).parent_path().string() + "/";
  const std::string expected =
      FolderIsWritable(exeFolder) ? exeFolder : home.Path + "/.local/share/programfolder_test/";
  EXPECT_EQ(ProgramFolder(), expected);
  EXPECT_EQ(ProgramSiblingFile(".ini"), expected + "programfolder_test.ini");
}

}  // namespace
}  // namespace helmax
