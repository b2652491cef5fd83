// The typing help on a 20,000-line expressions pane: classifying every line,
// highlighting after an edit, and highlighting the visible screen again when
// the names change.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <memory>

#include "Calculator.h"
#include "PaneTypingHelp.h"
#include "TypingHelp.h"

namespace {

using namespace helmax;

constexpr int kLines = 20000;

std::string PaneText() {
  std::string text;
  for (int i = 0; i < kLines; ++i)
    text += "2*f(y)+NormalLess(" + std::to_string(i % 97) + "/100)*sin(x)-12.31.2008+qq" + std::to_string(i) + ",\n";
  return text;
}

struct TPane {
  TMessageRecorder Ui;
  TCalculator Calc{Ui};
  TNameCatalogue Names;
  QPlainTextEdit Edit;
  TPaneTypingHelp* Help;
  TPane() {
    Calc.FirstActivation();
    Names.Rebuild(Calc.DefinitionsEngine(), Calc.Constants());
    Edit.resize(640, 480);
    Help = new TPaneTypingHelp(&Edit, Names);
    Help->NamesChanged();
    Edit.setPlainText(QString::fromStdString(PaneText()));
    Edit.show();
    QApplication::processEvents();
  }
};

TPane& Pane() {
  static TPane pane;
  return pane;
}

void BM_ClassifyWholePane(benchmark::State& state) {
  TPane& p = Pane();
  const std::string text = PaneText();
  TLineClassifier classifier;
  std::size_t spans = 0;
  for (auto _ : state) {
    std::size_t from = 0;
    while (from < text.size()) {
      const std::size_t to = text.find('\n', from);
      spans += classifier.Classify(std::string_view(text).substr(from, to - from), p.Names).size();
      from = to + 1;
    }
  }
  benchmark::DoNotOptimize(spans);
  state.counters["lines"] = kLines;
}

// One keystroke in the middle of the pane: the document changes and its
// line is highlighted again, the bracket marks follow the cursor.
void BM_HighlightAfterEdit(benchmark::State& state) {
  TPane& p = Pane();
  QTextCursor cursor(p.Edit.document()->findBlockByNumber(kLines / 2));
  p.Edit.setTextCursor(cursor);
  for (auto _ : state) {
    cursor.insertText("1");
    cursor.deletePreviousChar();
  }
}

// New names (a definitions compile): the visible screen is highlighted
// again at once; the rest waits for idle time and is not measured here.
void BM_VisibleScreenAfterNewNames(benchmark::State& state) {
  TPane& p = Pane();
  for (auto _ : state) p.Help->NamesChanged();
}

BENCHMARK(BM_ClassifyWholePane)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HighlightAfterEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VisibleScreenAfterNewNames)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
