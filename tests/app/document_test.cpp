// Documents and snapshots: the texts written, the brace rules of reading,
// the constants section, and the file operations of the calculator.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "../common/HostileFiles.h"
#include "../common/TempFolder.h"
#include "CalculatorTestUtil.h"
#include "Document.h"
#include "TextFile.h"

namespace helmax {
namespace {

using test::ReadBytes;
using test::TCalculatorFixture;
using test::TTempFolder;
using test::WriteBytes;

const char* const kDefaultDocument =
    "Constants\r\n{\r\n"
    "FROM = _from //Internal constant;\r\nTO = _to //Internal constant;\r\n"
    "STEP = _step //Internal constant;\r\nCOLWIDTH = _colwidth //Internal constant;\r\n"
    "DETTOLERANCE = _dettolerance //Internal constant;\r\n"
    "INTEGRTOLERANCE = _integrtolerance //Internal constant;\r\n}\r\n\r\n"
    "Function variable\r\n{\r\nx\r\n}\r\n\r\n"
    "User definitions\r\n{\r\nf(x)~Sin(x),\r\nFact(n)~if(eq(n,0),1,n*Fact(n-1)),\r\ny=1/3\r\n}\r\n\r\n"
    "Mathematical expressions\r\n{\r\n\r\n}\r\n";

TEST(DocumentText, DefaultDocumentLineByLine) {
  EXPECT_EQ(DocumentText(DefaultDocumentTexts()), kDefaultDocument);
  TCalculatorFixture f;
  EXPECT_EQ(DocumentText(f.Calc.CurrentTexts()), kDefaultDocument);
}

TEST(DocumentText, SnapshotAddsTheResultsAndDropsEmptyPanes) {
  TCalculatorTexts t;
  t.Constants.push_back({"c", "2", "  "});
  t.FunctionVariable = "x";
  t.Definitions = "  ";
  t.Expressions = " 1+1,\n2 ";
  t.Results = "2\n2";
  EXPECT_EQ(SnapshotText(t),
            "Constants\r\n{\r\nc = 2;\r\n}\r\n\r\nFunction variable\r\n{\r\nx\r\n}\r\n\r\n"
            "User definitions\r\n{\r\n}\r\n\r\nMathematical expressions\r\n{\r\n1+1,\r\n2\r\n}\r\n\r\n"
            "RESULTS\r\n{\r\n2\r\n2\r\n}\r\n");
}

TEST(DocumentReading, OnlyTheBracesMatter) {
  const auto s = ReadDocumentSections("junk\n{a=1;}\nmore {y}\n{\n\nf(x)~x,\n\ng=2\n}\n{\n1+1\n}{ignored}");
  ASSERT_TRUE(s);
  EXPECT_EQ((*s)[secConstants], "a=1;");
  EXPECT_EQ((*s)[secFunctionVariable], "y");
  // Empty lines inside a section are lost; the others keep a CR LF.
  EXPECT_EQ((*s)[secDefinitions], "f(x)~x,\r\ng=2\r\n");
  EXPECT_EQ((*s)[secExpressions], "1+1\r\n");
  // Text right after "{" joins the next line without a break.
  EXPECT_EQ((*ReadDocumentSections("{}{}{ab\ncd\n}{}"))[secDefinitions], "abcd\r\n");
}

TEST(DocumentReading, BadBraceStructures) {
  for (const char* text : {"{}{}{}", "}{}{}{}{", "{}{}{}{", "{}{}{}{}}", "", "no braces"}) {
    EXPECT_FALSE(ReadDocumentSections(text)) << text;
    EXPECT_FALSE(ReadSnapshotSections(text)) << text;
  }
  EXPECT_TRUE(ReadDocumentSections("{}{}{}{}{}{}"));
  // A nested "{" opens the next section; the counts still balance.
  EXPECT_EQ((*ReadSnapshotSections("{{}}{}{}"))[secFunctionVariable], "");
  const auto snap = ReadSnapshotSections("{ c = 1; }{\r\n x \r\n}{a\r\n\r\nb}{}RESULTS{2}");
  ASSERT_TRUE(snap);
  EXPECT_EQ((*snap)[secFunctionVariable], "x");
  EXPECT_EQ((*snap)[secDefinitions], "a\r\n\r\nb");
}

TEST(ConstantsSection, ItemsAndMessages) {
  const auto items = ParseConstantsSection(
      " a = 1 //one;\r\n b=2;\r\nnoequals;\r\nc = 2 //speed = fast;\r\nd = e //long\r\n desc;tail ");
  ASSERT_EQ(items.size(), 6u);
  EXPECT_FALSE(items[0].IsMessage);
  EXPECT_EQ(items[0].Constant.Name, "a");
  EXPECT_EQ(items[0].Constant.Expression, "1");
  EXPECT_EQ(items[0].Constant.Description, "one");
  EXPECT_EQ(items[1].Constant.Expression, "2");
  EXPECT_EQ(items[1].Constant.Description, "");
  EXPECT_EQ(items[2].Message, "Bad constants section : missing '=' : noequals");
  EXPECT_EQ(items[3].Message, "Bad constants section : missing ';' :  2 //speed = fast");
  EXPECT_EQ(items[4].Constant.Description, "long desc");
  EXPECT_EQ(items[5].Message, "Bad constants section : missing ';' : tail");
}

std::string Document(const std::string& constants, const std::string& definitions = "y=1/3",
                     const std::string& expressions = "y*3") {
  return "Constants\r\n{\r\n" + constants + "\r\n}\r\n{\r\nx\r\n}\r\n{\r\n" + definitions + "\r\n}\r\n{\r\n" +
         expressions + "\r\n}\r\n";
}

TEST(LoadSections, ConstantsSectionAppliesItsItems) {
  TCalculatorFixture f;
  f.Ui.Clear();
  ASSERT_TRUE(f.Calc.LoadDocumentText(
      Document("from = -5;\r\nFROM = 7;\r\nc = 2 //speed = fast;\r\nk = 3 //a constant;\r\nSTEP = true;", "y=k/3",
               "y*3, from")));
  EXPECT_EQ(f.Ui.Messages, (std::vector<std::string>{"Doublecating variable name : FROM",
                                                     "Bad constants section : missing ';' :  2 //speed = fast",
                                                     "Invalid expression : STEP=true"}));
  EXPECT_EQ(f.Calc.GetParameter(1), -5);
  EXPECT_EQ(f.Calc.GetParameter(3), 0.1);
  EXPECT_EQ(f.Calc.Constants().RowCount(), 8);
  EXPECT_EQ(f.Calc.Constants().Row(7).Description, "a constant");
  EXPECT_EQ(f.Calc.Results(), "3\n-5");
}

TEST(LoadSections, LoadingSetsTheParametersFromTheConstants) {
  TCalculatorFixture f;
  f.Calc.SetParameter(2, 50);
  ASSERT_TRUE(f.Calc.LoadDocumentText(Document("TO = _to;")));
  EXPECT_EQ(f.Calc.GetParameter(2), 100);
}

TEST(LoadSections, AnInvalidFunctionVariableAsksForCorrection) {
  TCalculatorFixture f;
  f.Ui.Clear();
  ASSERT_TRUE(f.Calc.LoadDocumentText("{}{from}{y=1}{y}"));
  EXPECT_EQ(f.Calc.FunctionVariable(), "");
  EXPECT_EQ(f.Ui.Messages, std::vector<std::string>{"Please correct function varable name"});
}

struct DocumentFiles : ::testing::Test {
  TTempFolder Dir;
  TCalculatorFiles Files() const {
    return {Dir.Folder(), Dir.File("helmax.ini"), Dir.File("helmax.log"), Dir.File("helmax.txt")};
  }
};

TEST_F(DocumentFiles, FirstStartWritesAndLoadsTheDefaultDocument) {
  TCalculatorFixture f(Files());
  EXPECT_EQ(ReadBytes(Dir.File("helmax.txt")), kDefaultDocument);
  EXPECT_EQ(f.Calc.Caption(), Dir.File("helmax.txt"));
  EXPECT_EQ(f.Calc.HistoryPanelText(), "History Index: 1/1");
  EXPECT_EQ(f.Calc.Results(), "Mathematical expression is empty");
  const std::string log = ReadBytes(Dir.File("helmax.log"));
  EXPECT_EQ(log.substr(0, 65 + 2), std::string(65, '=') + "\r\n");
  EXPECT_EQ(log.substr(67, 26), "12.31.2008 10:30:00 PM\r\n\r\n");
  EXPECT_EQ(log.substr(93), f.Calc.History().Entries()[0]);
}

TEST_F(DocumentFiles, SaveAndOpenRoundTrip) {
  TCalculatorFixture f(Files());
  ASSERT_TRUE(f.Calc.Constants().AddConst(8 - 1, "c", "299792458", "light"));
  f.Define("g(t)~t*c,\n\nz=2");
  f.Eval("g(2)+z");
  const std::string file = Dir.File("doc.txt");
  ASSERT_TRUE(f.Calc.SaveAs(file));
  EXPECT_EQ(f.Calc.Caption(), file);
  EXPECT_EQ(f.Calc.History().Count(), 2);
  // The save leaves the results shown, and its history entry holds them.
  EXPECT_EQ(f.Calc.Results(), "599584918");
  EXPECT_NE(f.Calc.History().Entries().back().find("599584918"), std::string::npos);
  EXPECT_FALSE(f.Calc.HasUnsavedChanges());
  f.Calc.SetExpressions("z");
  EXPECT_TRUE(f.Calc.HasUnsavedChanges());
  const std::string bytes = ReadBytes(file);
  EXPECT_NE(bytes.find("c = 299792458 //light;\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("{\r\ng(t)~t*c,\r\n\r\nz=2\r\n}"), std::string::npos);

  TCalculatorFixture g(Files());
  g.Calc.Open(file);
  EXPECT_TRUE(g.Calc.DocumentFileValid());
  EXPECT_EQ(g.Calc.Results(), "599584918");
  EXPECT_EQ(g.Calc.Constants().Row(7).Description, "light");
  EXPECT_EQ(g.Calc.Caption(), file);
  EXPECT_FALSE(g.Calc.HasUnsavedChanges());
}

// Each hostile document is refused with a message; the panes stay and no
// save can replace the file that could not be read.
TEST_F(DocumentFiles, HostileFilesLeaveThePanesAsTheyWere) {
  TCalculatorFixture f(Files());
  f.Calc.SetDefinitions("y=1");
  f.Calc.SetExpressions("y+1");
  const std::string valid = DocumentText(DefaultDocumentTexts());
  for (const test::THostileFile& file : test::MakeHostileFiles(Dir, ".txt", valid, kDocumentFileLimit)) {
    f.Ui.Clear();
    f.Calc.Open(file.Path);
    ASSERT_EQ(f.Ui.Messages.size(), 1u) << file.Kind;
    EXPECT_FALSE(f.Ui.Messages[0].empty());
    EXPECT_EQ(f.Calc.Definitions(), "y=1") << file.Kind;
    EXPECT_EQ(f.Calc.Expressions(), "y+1") << file.Kind;
    EXPECT_FALSE(f.Calc.DocumentFileValid()) << file.Kind;
  }
}

TEST_F(DocumentFiles, BadFilesAndRefusedSaves) {
  TCalculatorFixture f(Files());
  const std::string bad = Dir.File("bad.txt");
  WriteBytes(bad, "{}{x}{y=1}");
  f.Ui.Clear();
  f.Calc.Open(bad);
  EXPECT_EQ(f.Ui.Messages, std::vector<std::string>{"Bad file format"});
  EXPECT_FALSE(f.Calc.DocumentFileValid());
  EXPECT_FALSE(f.Calc.WriteDocument());

  f.Calc.Open(Dir.File("missing.txt"));
  EXPECT_FALSE(f.Calc.DocumentFileValid());

  // Definitions that do not compile: nothing is written, the name stays.
  f.Calc.Open(Dir.File("helmax.txt"));
  ASSERT_TRUE(f.Calc.DocumentFileValid());
  f.Calc.SetDefinitions("y=1/0");
  f.Ui.Clear();
  EXPECT_FALSE(f.Calc.SaveAs(Dir.File("new.txt")));
  EXPECT_EQ(f.Ui.Messages, std::vector<std::string>{"Please corect user definitions"});
  EXPECT_FALSE(std::filesystem::exists(Dir.File("new.txt")));
  EXPECT_EQ(f.Calc.DocumentFileName(), Dir.File("helmax.txt"));

  // Braces cannot be written; the panes stay as they are.
  f.Calc.SetDefinitions("y=1");
  f.Calc.SetExpressions("{1}");
  const std::string before = ReadBytes(Dir.File("helmax.txt"));
  f.Ui.Clear();
  EXPECT_FALSE(f.Calc.Save());
  ASSERT_EQ(f.Ui.Messages.size(), 1u);
  EXPECT_NE(f.Ui.Messages[0].find("\"{\" or \"}\""), std::string::npos);
  EXPECT_EQ(f.Calc.Expressions(), "{1}");
  EXPECT_EQ(ReadBytes(Dir.File("helmax.txt")), before);
}

TEST_F(DocumentFiles, AFailedWriteLeavesTheFormerFile) {
  TCalculatorFixture f(Files());
  const std::string file = Dir.File("helmax.txt");
  const std::string before = ReadBytes(file);
  f.Calc.SetDefinitions("y=2");
  f.Ui.Clear();
  {
    const test::TFileSizeLimit full(64);  // smaller than any document
    EXPECT_FALSE(f.Calc.Save());
  }
  ASSERT_EQ(f.Ui.Messages.size(), 1u);
  EXPECT_EQ(f.Ui.Messages[0], "Cannot write file \"" + file + "\". File too large");
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_FALSE(f.Calc.DocumentFileValid());
  EXPECT_EQ(f.Calc.History().Count(), 1);
}

TEST_F(DocumentFiles, ReadingAcceptsWindows1252AndAnyLineEnds) {
  TCalculatorFixture f(Files());
  const std::string file = Dir.File("legacy.txt");
  WriteBytes(file, "{\rc = 2 //caf\xE9;\r}\n{x}\r\n{y=c\r}{y*2\n}");
  f.Calc.Open(file);
  EXPECT_EQ(f.Calc.Results(), "4");
  EXPECT_EQ(f.Calc.Constants().Row(7).Description, "caf\xC3\xA9");
}

}  // namespace
}  // namespace helmax
