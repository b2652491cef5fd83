// Reading and writing INI-style settings files.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../common/CaseNames.h"
#include "IniFile.h"

namespace helmax {
namespace {

using Strings = std::vector<std::string>;

const char* const kSample =
    "orphan=ignored\r\n"
    "[Main]\r\n"
    "; a comment\r\n"
    "  # another = comment\r\n"
    "\r\n"
    "  Width = 640  \r\n"
    "no equals sign here\r\n"
    "Url= a=b = c \n"
    "width=999\r"
    "Empty=\r\n"
    "[ Colors ]\r\n"
    "Back=white\r\n"
    "[MAIN]\r\n"
    "Height=480\r\n"
    "WIDTH=1\r\n";

TEST(IniParse, SectionsInFileOrderRepeatedHeaderContinues) {
  const TIniFile ini = TIniFile::Parse(kSample);
  EXPECT_EQ(ini.Sections(), (Strings{"Main", "Colors"}));
  EXPECT_EQ(ini.SectionKeys("main"), (Strings{"Width", "Url", "Empty", "Height"}));
  EXPECT_EQ(ini.SectionLines("Main"), (Strings{"Width=640", "Url=a=b = c", "Empty=", "Height=480"}));
  EXPECT_EQ(ini.SectionLines("colors"), (Strings{"Back=white"}));
}

// Readers that must report what Parse merged or dropped can see it.
TEST(IniParse, RepeatedHeadersAndDroppedKeysAreListed) {
  const TIniFile ini = TIniFile::Parse(kSample);
  EXPECT_EQ(ini.RepeatedSections(), (Strings{"MAIN"}));
  std::vector<std::pair<std::string, std::string>> dropped;
  for (const TIniFile::TDroppedKey& d : ini.DroppedKeys()) dropped.emplace_back(d.Section, d.Key);
  EXPECT_EQ(dropped, (std::vector<std::pair<std::string, std::string>>{{"Main", "width"}, {"Main", "WIDTH"}}));
  const TIniFile clean = TIniFile::Parse("[a]\r\nx=1\r\n[b]\r\nx=2\r\n");
  EXPECT_TRUE(clean.RepeatedSections().empty());
  EXPECT_TRUE(clean.DroppedKeys().empty());
}

// Lists keyed by row numbers keep every line, repeated keys included.
TEST(IniParse, KeepAllKeepsRepeatedKeysInFileOrder) {
  const TIniFile ini = TIniFile::Parse(kSample, TIniFile::TRepeatedKeys::KeepAll);
  EXPECT_EQ(ini.SectionLines("Main"),
            (Strings{"Width=640", "Url=a=b = c", "width=999", "Empty=", "Height=480", "WIDTH=1"}));
  EXPECT_EQ(ini.Value("Main", "WIDTH"), "640");
  EXPECT_TRUE(ini.DroppedKeys().empty());
  EXPECT_EQ(ini.RepeatedSections(), (Strings{"MAIN"}));
}

struct LookupRow {
  const char* section;
  const char* key;
  std::optional<std::string> value;
};

class IniLookupTest : public testing::TestWithParam<LookupRow> {};

TEST_P(IniLookupTest, Value) {
  const TIniFile ini = TIniFile::Parse(kSample);
  EXPECT_EQ(ini.Value(GetParam().section, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Rows, IniLookupTest,
                         testing::Values(LookupRow{"Main", "Width", "640"},           // first of three wins
                                         LookupRow{"mAiN", "wIdTh", "640"},           // names ignore case
                                         LookupRow{"Main", "Url", "a=b = c"},         // first '=' splits
                                         LookupRow{"Main", "Empty", ""},              //
                                         LookupRow{"Main", "Height", "480"},          // from the repeated header
                                         LookupRow{"Colors", "Back", "white"},        // header name trimmed
                                         LookupRow{"Colors", "Width", std::nullopt},  //
                                         LookupRow{"Main", "orphan", std::nullopt},   // before any header
                                         LookupRow{"Main", "; a comment", std::nullopt},
                                         LookupRow{"Main", "# another", std::nullopt},
                                         LookupRow{"Main", "no equals sign here", std::nullopt},
                                         LookupRow{"Other", "Width", std::nullopt}),
                         test::NamedBy([](const LookupRow& r) { return std::string(r.section) + "_" + r.key; }));

TEST(IniParse, MissingSectionIsEmpty) {
  const TIniFile ini = TIniFile::Parse(kSample);
  EXPECT_FALSE(ini.HasSection("Fonts"));
  EXPECT_TRUE(ini.HasSection("COLORS"));
  EXPECT_TRUE(ini.SectionKeys("Fonts").empty());
  EXPECT_TRUE(ini.SectionLines("Fonts").empty());
}

TEST(IniParse, EmptyTextHasNoSections) {
  EXPECT_TRUE(TIniFile::Parse("").Sections().empty());
  EXPECT_TRUE(TIniFile::Parse("a=1\r\n; [x]\r\n").Sections().empty());
}

TEST(IniEdit, SetValueReplacesInPlaceOrAppends) {
  TIniFile ini = TIniFile::Parse("[A]\nx=1\ny=2\n[B]\nz=3\n");
  ini.SetValue("a", "X", "10");   // existing key keeps its place and spelling
  ini.SetValue("A", "w", "4");    // new key goes last in its section
  ini.SetValue("C", "k", "v=w");  // new section goes last
  EXPECT_EQ(ini.ToText(), "[A]\r\nx=10\r\ny=2\r\nw=4\r\n[B]\r\nz=3\r\n[C]\r\nk=v=w\r\n");
}

TEST(IniEdit, EraseKeyAndSection) {
  TIniFile ini = TIniFile::Parse("[A]\nx=1\ny=2\n[B]\nz=3\n");
  ini.EraseKey("a", "X");
  ini.EraseKey("A", "missing");
  ini.EraseKey("Missing", "y");
  ini.EraseSection("b");
  ini.EraseSection("Missing");
  EXPECT_EQ(ini.ToText(), "[A]\r\ny=2\r\n");
  ini.EraseKey("A", "y");
  EXPECT_EQ(ini.ToText(), "[A]\r\n");  // an emptied section stays
}

TEST(IniText, RoundTripKeepsEverything) {
  const TIniFile first = TIniFile::Parse(kSample);
  const TIniFile second = TIniFile::Parse(first.ToText());
  EXPECT_EQ(second.ToText(), first.ToText());
  EXPECT_EQ(second.SectionLines("Main"), first.SectionLines("Main"));
  EXPECT_EQ(first.ToText(),
            "[Main]\r\nWidth=640\r\nUrl=a=b = c\r\nEmpty=\r\nHeight=480\r\n"
            "[Colors]\r\nBack=white\r\n");
}

}  // namespace
}  // namespace helmax
