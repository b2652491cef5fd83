// The settings file: the text written, the reading rules and the start-up
// round trip through the calculator.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "../common/TempFolder.h"
#include "CalculatorTestUtil.h"

namespace helmax {
namespace {

using test::ReadBytes;
using test::TTempFolder;
using test::WriteBytes;

TEST(SettingsText, DefaultsLineByLine) {
  TSettings s;
  s.Geometry = {10, 20, 600, 400, 120, 130};
  s.ExchangeFileName = "";
  EXPECT_EQ(SettingsText(s, "/opt/h/"),
            "[FormPos]\r\nTop=10\r\nLeft=20\r\nHeight=600\r\nWidth=400\r\nMemo1Height=120\r\nMemo2Height=130\r\n"
            "[View]\r\nStayOnTop=1\r\nUserFunctions=1\r\nErrorMessage=1\r\nCurrencyType=0\r\n"
            "[Calculation]\r\nTimeLimit=5\r\n"
            "[Paths]\r\nFilePath=/opt/h/\r\nConvFilePath=/opt/h/\r\nConstFilePath=/opt/h/\r\nPTEFilePath=/opt/h/\r\n"
            "ExchangeFileName=\r\n[Firebird]\r\nUserName=sysdba\r\nPassword=tq4vne8rx\r\n"
            "[Exchange]\r\nLatestQuote=0\r\n");
}

TEST(SettingsReading, LatestQuoteRoundTripsAndStaysOffWithoutTheKey) {
  TSettings on;
  on.LatestQuote = true;
  TSettings back;
  ApplySettings(ReadSettingsText(SettingsText(on, "/")), back);
  EXPECT_TRUE(back.LatestQuote);
  TSettings off;
  off.LatestQuote = true;
  ApplySettings(ReadSettingsText("[Exchange]\nLatestQuote=0\n"), off);
  EXPECT_FALSE(off.LatestQuote);
  EXPECT_FALSE(ReadSettingsText("[Paths]\nFilePath=/a\n").LatestQuote);
}

TEST(SettingsReading, FormPosNeedsExactlySixKeys) {
  const char* five = "[FormPos]\nTop=1\nLeft=2\nHeight=3\nWidth=4\nMemo1Height=5\n";
  const char* seven = "[FormPos]\nTop=1\nLeft=2\nHeight=3\nWidth=4\nMemo1Height=5\nMemo2Height=6\nExtra=7\n";
  const char* sixWithDuplicate = "[FormPos]\nTop=1\nLeft=2\nHeight=3\nWidth=4\nMemo1Height=5\ntop=9\nMemo2Height=6\n";
  for (const char* text : {five, seven}) {
    const TSettingsUpdate u = ReadSettingsText(text);
    for (const auto& v : u.Geometry) EXPECT_FALSE(v) << text;
  }
  const TSettingsUpdate u = ReadSettingsText(sixWithDuplicate);
  ASSERT_TRUE(u.Geometry[0] && u.Geometry[5]);
  EXPECT_EQ(*u.Geometry[0], 1);  // the first of duplicate keys wins
  EXPECT_EQ(*u.Geometry[5], 6);
}

TEST(SettingsReading, ValuesThatDoNotConvertAreSkipped) {
  const TSettingsUpdate u = ReadSettingsText(
      "[formpos]\nTOP = x\nLeft=2\nHeight=3.5\nWidth= 4 \nMemo1Height=5\nMemo2Height=6\n"
      "[View]\nStayOnTop=0\nUserFunctions=yes\nErrorMessage=0\nCurrencyType=1\n"
      "; a comment\n[Paths]\nFilePath=/a/b.txt\nExchangeFileName=\n[Firebird]\nUserName=u\n");
  EXPECT_FALSE(u.Geometry[0]);
  EXPECT_EQ(u.Geometry[1].value_or(-1), 2);
  EXPECT_FALSE(u.Geometry[2]);
  EXPECT_EQ(u.Geometry[3].value_or(-1), 4);
  EXPECT_EQ(u.StayOnTop, false);
  EXPECT_FALSE(u.UserFunctions);
  EXPECT_EQ(u.ErrorMessage, false);
  EXPECT_EQ(u.FilePath.value_or("?"), "/a/b.txt");
  EXPECT_EQ(u.ExchangeFileName.value_or("?"), "");
  EXPECT_FALSE(u.ConvFilePath);
  // [Firebird] needs both keys.
  EXPECT_FALSE(u.FirebirdUserName);
}

TEST(SettingsReading, TimeLimitIsWholeSecondsOrNone) {
  const std::pair<const char*, int> cases[] = {{"60", 60}, {"0", 0}, {" 7 ", 7}, {"-1", 5}, {"2.5", 5}, {"none", 5}};
  for (const auto& [text, expected] : cases) {
    TSettings s;
    ApplySettings(ReadSettingsText(std::string("[Calculation]\nTimeLimit=") + text + "\n"), s);
    EXPECT_EQ(s.TimeLimit, expected) << text;
  }
  TSettings s;
  s.TimeLimit = 0;
  TSettings back;
  ApplySettings(ReadSettingsText(SettingsText(s, "/")), back);
  EXPECT_EQ(back.TimeLimit, 0);
}

TEST(SettingsFile, WrittenWhenMissingThenRoundTrips) {
  TTempFolder dir;
  const TCalculatorFiles files{dir.Folder(), dir.File("h.ini"), dir.File("h.log"), dir.File("h.txt")};
  {
    TMessageRecorder ui;
    TCalculator calc(ui, files);
    calc.Settings().Geometry = {5, 6, 700, 500, 150, 160};
    calc.ReadSettings();
    struct stat st {};
    ASSERT_EQ(stat(files.SettingsFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // it holds a password
    EXPECT_TRUE(calc.GeometryRead());
    EXPECT_EQ(calc.Settings().Geometry.Width, 500);
    EXPECT_TRUE(calc.ErrorMessageView());
    EXPECT_NE(ReadBytes(files.SettingsFile).find("FilePath=" + dir.Folder() + "\r\n"), std::string::npos);

    calc.SetErrorMessageView(false);
    calc.SetCurrencyMode(true);
    calc.Settings().StayOnTop = false;
    calc.Settings().Geometry.Top = 42;
    calc.Open(dir.File("work.txt"));  // a document not yet written
    calc.WriteToIniFile();
    EXPECT_TRUE(ui.Messages.empty());
  }
  TMessageRecorder ui;
  TCalculator calc(ui, files);
  calc.ReadSettings();
  EXPECT_FALSE(calc.ErrorMessageView());
  EXPECT_FALSE(calc.Settings().StayOnTop);
  EXPECT_TRUE(calc.Settings().UserFunctions);
  EXPECT_EQ(calc.Settings().Geometry.Top, 42);
  EXPECT_EQ(calc.Settings().FilePath, dir.File("work.txt"));
  // The format is never restored: the calculator starts in Scientific.
  EXPECT_FALSE(calc.CurrencyMode());
  EXPECT_EQ(calc.FormatPanelText(), "TYPE: Scientific");
}

TEST(SettingsFile, AFileWithFiveFormPosKeysLeavesTheGeometry) {
  TTempFolder dir;
  const TCalculatorFiles files{dir.Folder(), dir.File("h.ini"), "", ""};
  WriteBytes(files.SettingsFile, "[FormPos]\r\nTop=1\r\nLeft=2\r\nHeight=3\r\nWidth=4\r\nMemo1Height=5\r\n");
  TMessageRecorder ui;
  TCalculator calc(ui, files);
  calc.Settings().Geometry.Top = 77;
  calc.ReadSettings();
  EXPECT_FALSE(calc.GeometryRead());
  EXPECT_EQ(calc.Settings().Geometry.Top, 77);
}

}  // namespace
}  // namespace helmax
