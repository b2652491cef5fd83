#include "InterpolationSheets.h"
#include "FixedTexts.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "ErrorText.h"
#include "SameValueApprox.h"
#include "TextFile.h"

namespace helmax {
namespace {

const char* const kAreYouSure = texts::kAreYouSure;
// Far more than a window shows; it keeps a mistyped count from taking all
// the memory there is.
constexpr long long kMaxRows = 10'000'000;

std::string SheetPrefix(int number) { return texts::kSheet + std::to_string(number) + ": "; }

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

// A whole number as the Edit dialogs take it, or the conversion error.
bool ParseCount(const std::string& text, long long& value, std::string& error) {
  const std::string t = TrimText(text);
  char* end = nullptr;
  errno = 0;
  value = t.empty() ? 0 : std::strtoll(t.c_str(), &end, 10);
  if (t.empty() || errno == ERANGE || end == nullptr || *end != '\0') {
    error = "'" + t + "' is not a valid integer value";
    return false;
  }
  return true;
}

// Swaps the engine's error handlers for silent ones while cells are read:
// the reading words the errors itself.
class TQuietEngine {
 public:
  explicit TQuietEngine(THelmaxComplexEval& e)
      : Engine_(e), Parse_(std::move(e.OnParseError)), Execute_(std::move(e.OnExecuteError)) {
    e.OnParseError = nullptr;
    e.OnExecuteError = nullptr;
  }
  ~TQuietEngine() {
    Engine_.OnParseError = std::move(Parse_);
    Engine_.OnExecuteError = std::move(Execute_);
  }
  TQuietEngine(const TQuietEngine&) = delete;
  TQuietEngine& operator=(const TQuietEngine&) = delete;

 private:
  THelmaxComplexEval& Engine_;
  TEngineEvent Parse_, Execute_;
};

// The cuts of a .dat line: a field ends at the first "," of the text that
// remains or, without one, at its first blank; at most two cuts.
std::vector<std::string> LineFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string rest = TrimText(line);
  for (int cut = 0; cut < 2; ++cut) {
    std::size_t at = rest.find(',');
    if (at == std::string::npos) at = rest.find(' ');
    if (at == std::string::npos) break;
    fields.push_back(TrimText(rest.substr(0, at)));
    rest = TrimText(rest.substr(at + 1));
  }
  fields.push_back(rest);
  return fields;
}

// The first row whose x comes again and the next row with that x, named:
// "Sheet1: rows 2 and 3 have the same x (1)"; empty when every x differs.
std::string SameXMessage(int number, const std::vector<double>& x) {
  const std::vector<std::size_t> order = SortingOrder(x);  // equal x keep their rows' order
  std::size_t first = x.size(), second = 0;
  for (std::size_t k = 1; k < order.size(); ++k)
    if (x[order[k]] == x[order[k - 1]] && order[k - 1] < first) {
      first = order[k - 1];
      second = order[k];
    }
  if (first == x.size()) return {};
  return SheetPrefix(number) + "rows " + std::to_string(first + 1) + " and " + std::to_string(second + 1) +
         " have the same x (" + RealToText(x[first]) + ")";
}

}  // namespace

TInterpolationSheets::TInterpolationSheets() { AddSheet(); }

// ---- sheets and cells ---------------------------------------------------------------

void TInterpolationSheets::Changed(TSheet& sheet) {
  ++sheet.Generation;
  sheet.LagrangeStale = true;
  sheet.SplineStale = true;
  sheet.Modified = true;
  DefinitionsChange_ = true;
}

TInterpolationSheets::TSheet* TInterpolationSheets::FindSheet(std::uint64_t id) {
  for (TSheet& s : Sheets_)
    if (s.Id == id) return &s;
  return nullptr;
}

int TInterpolationSheets::SheetCount() const {
  std::lock_guard lock(Mutex_);
  return static_cast<int>(Sheets_.size());
}

int TInterpolationSheets::RowCount(int sheet) const {
  std::lock_guard lock(Mutex_);
  return static_cast<int>(Sheets_.at(static_cast<std::size_t>(sheet)).X.size());
}

std::string TInterpolationSheets::Cell(int sheet, int row, int column) const {
  std::lock_guard lock(Mutex_);
  const TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  if (row < 0 || static_cast<std::size_t>(row) >= s.X.size()) return {};
  return column == scX ? s.X[static_cast<std::size_t>(row)] : s.F[static_cast<std::size_t>(row)];
}

void TInterpolationSheets::SetCell(int sheet, int row, int column, const std::string& text) {
  std::lock_guard lock(Mutex_);
  TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  if (row < 0 || static_cast<std::size_t>(row) >= s.X.size()) return;
  std::string& cell = column == scX ? s.X[static_cast<std::size_t>(row)] : s.F[static_cast<std::size_t>(row)];
  if (cell == text) return;
  cell = text;
  Changed(s);
}

void TInterpolationSheets::SetRowCount(int sheet, int rows) {
  std::lock_guard lock(Mutex_);
  TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  const std::size_t n = static_cast<std::size_t>(std::max(rows, 1));
  s.X.resize(n);
  s.F.resize(n);
  Changed(s);
}

int TInterpolationSheets::AddSheet() {
  std::lock_guard lock(Mutex_);
  TSheet s;
  s.Id = NextId_++;
  s.X.resize(kNewSheetRows);
  s.F.resize(kNewSheetRows);
  Sheets_.push_back(std::move(s));
  return static_cast<int>(Sheets_.size()) - 1;
}

void TInterpolationSheets::RemoveSheet(int sheet) {
  std::lock_guard lock(Mutex_);
  if (Sheets_.size() <= 1) return;
  Sheets_.erase(Sheets_.begin() + sheet);
  // The sheets after it have new numbers.
  DefinitionsChange_ = true;
}

TSplineKind TInterpolationSheets::SplineKind(int sheet) const {
  std::lock_guard lock(Mutex_);
  return Sheets_.at(static_cast<std::size_t>(sheet)).Kind;
}

void TInterpolationSheets::SetSplineKind(int sheet, TSplineKind kind) {
  std::lock_guard lock(Mutex_);
  TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  s.Kind = kind;
  s.SplineStale = true;
  s.LagrangeStale = true;
  DefinitionsChange_ = true;
}

std::string TInterpolationSheets::FileName(int sheet) const {
  std::lock_guard lock(Mutex_);
  return Sheets_.at(static_cast<std::size_t>(sheet)).FileName;
}

bool TInterpolationSheets::FileValid(int sheet) const {
  std::lock_guard lock(Mutex_);
  return Sheets_.at(static_cast<std::size_t>(sheet)).FileValid;
}

bool TInterpolationSheets::Modified(int sheet) const {
  std::lock_guard lock(Mutex_);
  return Sheets_.at(static_cast<std::size_t>(sheet)).Modified;
}

bool TInterpolationSheets::AnyModified() const {
  std::lock_guard lock(Mutex_);
  for (const TSheet& s : Sheets_)
    if (s.Modified) return true;
  return false;
}

bool TInterpolationSheets::TakeDefinitionsChange() {
  std::lock_guard lock(Mutex_);
  const bool changed = DefinitionsChange_;
  DefinitionsChange_ = false;
  return changed;
}

bool TInterpolationSheets::DefinitionsChangePending() const {
  std::lock_guard lock(Mutex_);
  return DefinitionsChange_;
}

// ---- Edit menu ---------------------------------------------------------------------------

bool TInterpolationSheets::AddRows(int sheet, const std::string& countText, TUserInterface& ui) {
  long long count = 0;
  std::string error;
  if (!ParseCount(countText, count, error)) {
    ui.ShowMessage(error);
    return false;
  }
  if (count <= 0) {
    ui.ShowMessage(texts::kTheCountMustToBePositive);
    return false;
  }
  if (count > kMaxRows) {
    ui.ShowMessage("The count must not exceed " + std::to_string(kMaxRows));
    return false;
  }
  try {
    SetRowCount(sheet, static_cast<int>(count));
  } catch (const std::bad_alloc&) {
    ui.ShowMessage(texts::kOutOfMemory);
    return false;
  }
  return true;
}

bool TInterpolationSheets::DeleteRows(int sheet, const std::string& fromText, const std::string& countText,
                                      TUserInterface& ui) {
  if (RowCount(sheet) <= 1) return false;
  long long count = 0, from = 0;
  std::string error;
  if (!ParseCount(countText, count, error)) {
    ui.ShowMessage(error);
    return false;
  }
  if (count < 1) {
    ui.ShowMessage(texts::kInvalidCount);
    return false;
  }
  if (!ui.AskYesNo(kAreYouSure)) return false;
  if (!ParseCount(fromText, from, error)) {
    ui.ShowMessage(error);
    return false;
  }
  std::lock_guard lock(Mutex_);
  TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  const long long rows = static_cast<long long>(s.X.size());
  if (from < 1 || from > rows) {
    ui.ShowMessage(texts::kInvalidNumberSign);
    return false;
  }
  const std::size_t first = static_cast<std::size_t>(from - 1);
  const std::size_t last = static_cast<std::size_t>(std::min(rows, from - 1 + count));  // one past the block
  s.X.erase(s.X.begin() + static_cast<std::ptrdiff_t>(first), s.X.begin() + static_cast<std::ptrdiff_t>(last));
  s.F.erase(s.F.begin() + static_cast<std::ptrdiff_t>(first), s.F.begin() + static_cast<std::ptrdiff_t>(last));
  if (s.X.empty()) {
    s.X.resize(1);
    s.F.resize(1);
  }
  Changed(s);
  return true;
}

bool TInterpolationSheets::DeleteSheet(int sheet, TUserInterface& ui) {
  if (!ui.AskYesNo(kAreYouSure)) return false;
  if (SheetCount() <= 1) {
    ui.ShowMessage(texts::kCannotDeleteFirstSheet);
    return false;
  }
  RemoveSheet(sheet);
  return true;
}

// ---- files -------------------------------------------------------------------------------

bool TInterpolationSheets::SheetFileText(int sheet, std::string& text, std::string& error) const {
  std::lock_guard lock(Mutex_);
  const TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  text.clear();
  for (std::size_t i = 0; i < s.X.size(); ++i) {
    const std::string& x = s.X[i];
    const std::string& f = s.F[i];
    const std::string number = std::to_string(i + 1);
    if (x.find_first_of(",\r\n") != std::string::npos || f.find_first_of(",\r\n") != std::string::npos) {
      error = texts::kSheet + std::to_string(sheet + 1) + ", row " + number +
              ": a cell holds \",\" or a line break, which the file cannot keep";
      return false;
    }
    // Two blanks between the fields only where the reader finds them again.
    if (!x.empty() && !f.empty() && x.find(' ') == std::string::npos) text += number + "  " + x + "  " + f + "\r\n";
    else text += number + "," + x + "," + f + "\r\n";
  }
  return true;
}

bool TInterpolationSheets::WriteFile(int sheet, const std::string& path, TUserInterface& ui) {
  std::string text, error;
  if (!SheetFileText(sheet, text, error) || !WriteFileAtomic(path, text, error)) {
    ui.ShowMessage(error);
    return false;
  }
  std::lock_guard lock(Mutex_);
  TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  s.FileName = path;
  s.FileValid = true;
  s.Modified = false;
  return true;
}

bool TInterpolationSheets::ReadFile(int sheet, const std::string& path, TUserInterface& ui) {
  if (Modified(sheet) && !ui.AskYesNo(kAreYouSure)) return false;
  // A file that is missing, no regular file, too large or no text is
  // refused with its reason; the sheet keeps its cells and its file.
  std::string text, error;
  if (!ReadPlainTextFile(path, text, error, kInterpolationFileLimit)) {
    ui.ShowMessage(error);
    return false;
  }
  // The program writes at least one line for every sheet.
  if (text.empty()) {
    ui.ShowMessage("Cannot read file \"" + path + "\". It is empty: no interpolation sheet");
    return false;
  }
  const std::vector<std::string> lines = SplitLines(text);
  if (static_cast<long long>(lines.size()) > kMaxRows) {
    ui.ShowMessage("Bad file format: more than " + std::to_string(kMaxRows) + " rows");
    return false;
  }
  std::vector<std::string> xs, fs;
  xs.reserve(lines.size() + 1);
  fs.reserve(lines.size() + 1);
  for (const std::string& line : lines) {
    std::vector<std::string> fields = LineFields(line);
    if (fields.size() == 3) fields.erase(fields.begin());  // the row number
    xs.push_back(fields[0]);
    fs.push_back(fields.size() > 1 ? fields[1] : std::string());
  }
  if (xs.empty()) {
    xs.emplace_back();
    fs.emplace_back();
  }
  std::lock_guard lock(Mutex_);
  TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
  s.X = std::move(xs);
  s.F = std::move(fs);
  Changed(s);
  s.Modified = false;
  s.FileName = path;
  s.FileValid = true;
  return true;
}

// ---- reading the points (worker thread) ------------------------------------------------------

double TInterpolationSheets::EvaluateCell(const std::string& text, int number, int row, bool isX) {
  auto fail = [&](const std::string& why) {
    const std::string place = std::to_string(row);
    Fail(SheetPrefix(number) + "Interpolation " + (isX ? "x[" + place + "]" : "f(x[" + place + "])") + ": " + why);
  };
  THelmaxComplexEval& e = *CellEngine_;
  double value = 0.0;
  // A plain decimal number is what the engine would read from it (unless
  // its numbers are currency amounts); a sheet of a million points is
  // mostly such numbers.
  const std::string t = TrimText(text);
  const bool negative = !t.empty() && t[0] == '-';
  const std::string_view digits = std::string_view(t).substr(!t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0);
  bool overflow = false;
  if (!e.CurrencyNumbers() && IsDecimalNumber(digits) && ParseRealLiteral(digits, value, overflow) && !overflow) {
    value = negative ? -value : value;
  } else {
    e.VerifySyntaxSemantics(text, std::string_view(), false);
    if (e.Error) fail(ParseErrorLine(e));
    TValue v;
    e.DoMathExpression(v);
    if (e.Error) fail(ExecuteErrorLine(e));
    if (!v.IsRealLike()) fail("Incorrect real type : " + ValueToText(v));
    value = v.AsReal();
  }
  if (isX && !std::isfinite(value)) fail("x must be a finite number, not " + RealToText(value));
  return value;
}

TInterpolationSheets::TPoints TInterpolationSheets::Evaluate(const TSnapshot& snapshot, bool xOnly) {
  if (CellEngine_ == nullptr) Fail(SheetPrefix(snapshot.Number) + "no engine evaluates the cells");
  Reading_ = true;
  Progress_.Active.store(true);
  struct TDone {
    bool& Flag;
    TProgress& Progress;
    ~TDone() {
      Flag = false;
      Progress.Active.store(false);
    }
  } done{Reading_, Progress_};
  TQuietEngine quiet(*CellEngine_);
  TPoints p;
  const std::size_t n = snapshot.X.size();
  p.X.resize(n);
  p.F.resize(xOnly ? 0 : n);
  Progress_.Start(static_cast<std::int64_t>(n));
  for (std::size_t i = 0; i < n; ++i) {
    if (i % 1024 == 0) {
      if (StopAsked(Stop_)) Fail(SheetPrefix(snapshot.Number) + texts::kCalculationStopped);
      Progress_.Set(static_cast<std::int64_t>(i));
    }
    const int row = static_cast<int>(i) + 1;
    p.X[i] = EvaluateCell(snapshot.X[i], snapshot.Number, row, true);
    if (!xOnly) p.F[i] = EvaluateCell(snapshot.F[i], snapshot.Number, row, false);
  }
  Progress_.Set(static_cast<std::int64_t>(n));
  return p;
}

int TInterpolationSheets::CheckArguments(TValue* const* args, int count, double& x) {
  for (int i = 0; i < count; ++i)
    if (!args[i]->IsRealLike()) Fail(texts::kIncorrectRealTypeForTheParameterPrefix + std::to_string(i + 1));
  x = args[0]->AsReal();
  const double sheet = args[1]->AsReal();
  if (!std::isfinite(sheet) || std::fabs(sheet - std::trunc(sheet)) > 1e-13)
    Fail(texts::kIncorrectIntegerTypeSheetNumber);
  const int sheets = SheetCount();
  const double number = std::round(sheet);
  if (number < 1 || number > sheets) Fail(texts::kSheetNumberMustBeBetween1AndPrefix + std::to_string(sheets));
  return static_cast<int>(number);
}

std::shared_ptr<const TInterpolationSheets::TPoints> TInterpolationSheets::PointsFor(
    int number, bool forSpline, std::shared_ptr<const std::vector<double>>& secondDerivatives) {
  TSnapshot snapshot;
  {
    std::lock_guard lock(Mutex_);
    // A sheet may have been deleted since the arguments were checked.
    if (static_cast<std::size_t>(number) > Sheets_.size())
      Fail(texts::kSheetNumberMustBeBetween1AndPrefix + std::to_string(Sheets_.size()));
    const TSheet& s = Sheets_[static_cast<std::size_t>(number - 1)];
    if (!(forSpline ? s.SplineStale : s.LagrangeStale)) {
      secondDerivatives = s.SecondDerivatives;
      return s.Points;
    }
    const std::size_t minimum = forSpline ? 4 : 2;
    if (s.X.size() < minimum)
      Fail(SheetPrefix(number) + "Number of interpolating points must be >=" + std::to_string(minimum));
    snapshot = {number, s.Id, s.Generation, s.X, s.F, s.Kind};
  }
  // A cell that interpolates would read the points again while its own
  // evaluation holds the engine.
  if (Reading_) Fail(SheetPrefix(number) + "a cell of an interpolation sheet cannot interpolate over a stale sheet");
  if (EvaluatingX_) Fail(SheetPrefix(number) + "the x to evaluate at cannot interpolate over a stale sheet");
  auto points = std::make_shared<TPoints>(Evaluate(snapshot, false));
  points->SameX = SameXMessage(number, points->X);
  SortPoints(points->X, points->F);
  if (!forSpline && points->SameX.empty()) {
    try {
      points->Weights = LagrangeWeights(points->X, Stop_);
    } catch (const TWorkStopped&) { Fail(texts::kCalculationStopped); }
  }
  std::shared_ptr<std::vector<double>> m;
  if (forSpline) {
    if (!points->SameX.empty()) Fail(points->SameX);
    m = std::make_shared<std::vector<double>>();
    std::string status;
    if (snapshot.Kind == TSplineKind::Periodic) {
      if (!SameRealApprox(points->F.back(), points->F.front()))
        Fail(SheetPrefix(number) + "bad condition for periodic Spline: begin point <> end point value");
      status = PeriodicSplineSecondDerivatives(points->X, points->F, *m);
    } else {
      status = NaturalSplineSecondDerivatives(points->X, points->F, *m);
    }
    if (!status.empty()) Fail(SheetPrefix(number) + status);
  }
  std::lock_guard lock(Mutex_);
  if (TSheet* s = FindSheet(snapshot.Id); s != nullptr && s->Generation == snapshot.Generation) {
    // Points read for the spline keep the weights of a Lagrange reading
    // of the same cells.
    if (forSpline && !s->LagrangeStale && s->Points) points->Weights = s->Points->Weights;
    s->Points = points;
    if (forSpline) {
      s->SecondDerivatives = m;
      s->SplineStale = false;
    } else {
      s->LagrangeStale = false;
    }
  }
  secondDerivatives = m;
  return points;
}

void TInterpolationSheets::Lagrange(TValue* const* args, int count, TValue& result) {
  result = TValue::MakeNull();
  double x = 0.0;
  const int number = CheckArguments(args, count, x);
  std::shared_ptr<const std::vector<double>> unused;
  const std::shared_ptr<const TPoints> p = PointsFor(number, false, unused);
  if (!(x >= p->X.front() && x <= p->X.back()) && !SameRealApprox(x, p->X.front()) && !SameRealApprox(x, p->X.back()))
    Fail(texts::kNotDefinedForThisArgumentsPrefix + RealToText(x));
  if (!p->SameX.empty()) Fail(p->SameX);
  double value = 0.0;
  if (p->Weights.W.size() == p->X.size()) {
    value = LagrangeValue(p->X, p->F, p->Weights, x);
  } else {
    try {
      value = LagrangeValue(p->X, p->F, x, Stop_);
    } catch (const TWorkStopped&) { Fail(texts::kCalculationStopped); }
  }
  if (!std::isnan(value)) result = TValue::MakeReal(value);
}

void TInterpolationSheets::CubicSpline(TValue* const* args, int count, TValue& result) {
  result = TValue::MakeNull();
  double x = 0.0;
  const int number = CheckArguments(args, count, x);
  std::shared_ptr<const std::vector<double>> m;
  const std::shared_ptr<const TPoints> p = PointsFor(number, true, m);
  const std::size_t i = SplineInterval(p->X, x);
  if (i == 0) Fail(texts::kNotDefinedForThisArgumentsPrefix + RealToText(x));
  const double value = SplineValue(p->X, p->F, *m, i, x);
  if (!std::isnan(value)) result = TValue::MakeReal(value);
}

// ---- the window's view ---------------------------------------------------------------------------

TInterpolationSheets::TSheetView TInterpolationSheets::View(int sheet, const std::string& xText, int samples) {
  TSheetView v;
  const int number = sheet + 1;
  std::size_t rows = 0;
  {
    std::lock_guard lock(Mutex_);
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= Sheets_.size()) return v;
    rows = Sheets_[static_cast<std::size_t>(sheet)].X.size();
  }
  if (rows > kViewRowLimit) {
    v.PointsError = SheetPrefix(number) + "more than " + std::to_string(kViewRowLimit) +
                    " rows are not drawn; Lagrange(x, " + std::to_string(number) + ") and CubicSpline(x, " +
                    std::to_string(number) + ") give the values";
    return v;
  }
  TValue x, sheetNumber = TValue::MakeReal(number);
  TValue* args[] = {&x, &sheetNumber};
  // One value as the function gives it; false with the message when it fails.
  auto interpolate = [&](bool spline, double t, TValue& result, std::string& error) {
    x = TValue::MakeReal(t);
    try {
      if (spline) CubicSpline(args, 2, result);
      else Lagrange(args, 2, result);
      return true;
    } catch (const std::exception& e) {
      error = e.what();
      return false;
    }
  };
  std::shared_ptr<const TPoints> points;
  try {
    std::shared_ptr<const std::vector<double>> unused;
    points = PointsFor(number, false, unused);
  } catch (const std::exception& e) { v.PointsError = e.what(); }
  if (points) {
    v.X = points->X;
    v.F = points->F;
    const double first = v.X.front(), last = v.X.back();
    const int n = std::max(samples, 2);
    for (int k = 0; k < n; ++k) v.At.push_back(k + 1 == n ? last : first + (last - first) * k / (n - 1));
    for (const bool spline : {false, true}) {
      std::vector<double>& curve = spline ? v.Spline : v.Lagrange;
      std::string& error = spline ? v.SplineError : v.LagrangeError;
      if (!spline && v.X.size() > kViewLagrangeLimit) {
        error = SheetPrefix(number) + "the Lagrange polynomial is not drawn through more than " +
                std::to_string(kViewLagrangeLimit) + " points";
        continue;
      }
      for (const double t : v.At) {
        if (StopAsked(Stop_)) {
          v.Stopped = true;
          return v;
        }
        TValue y;
        if (!interpolate(spline, t, y, error)) {
          curve.clear();
          break;
        }
        curve.push_back(y.IsRealLike() ? y.AsReal() : std::nan(""));
      }
    }
  }
  const std::string text = TrimText(xText);
  if (text.empty() || CellEngine_ == nullptr) return v;
  v.HasX = true;
  {
    // Like a cell: constants and functions, no variables.
    THelmaxComplexEval& e = *CellEngine_;
    TQuietEngine quiet(e);
    EvaluatingX_ = true;
    struct TDone {
      bool& Flag;
      ~TDone() { Flag = false; }
    } done{EvaluatingX_};
    e.VerifySyntaxSemantics(text, std::string_view(), false);
    TValue value;
    if (e.Error) {
      v.XError = ParseErrorLine(e);
    } else {
      e.DoMathExpression(value);
      if (e.Error) v.XError = ExecuteErrorLine(e);
      else if (!value.IsRealLike()) v.XError = "Incorrect real type : " + ValueToText(value);
      else v.XValue = value.AsReal();
    }
  }
  if (!v.XError.empty()) return v;
  for (const bool spline : {false, true}) {
    TValue y;
    std::string error;
    std::string& shown = spline ? v.SplineAt : v.LagrangeAt;
    if (!spline && v.X.size() > kViewLagrangeLimit) shown = v.LagrangeError;
    else shown = interpolate(spline, v.XValue, y, error) ? ValueToText(y) : error;
  }
  v.Stopped = StopAsked(Stop_);
  return v;
}

// ---- ordering ------------------------------------------------------------------------------------

TInterpolationSheets::TOrdering TInterpolationSheets::ReadOrdering(int sheet) {
  TSnapshot snapshot;
  {
    std::lock_guard lock(Mutex_);
    const TSheet& s = Sheets_.at(static_cast<std::size_t>(sheet));
    snapshot = {sheet + 1, s.Id, s.Generation, s.X, s.F, s.Kind};
  }
  const TPoints p = Evaluate(snapshot, false);
  return {snapshot.Id, snapshot.Generation, SortingOrder(p.X)};
}

bool TInterpolationSheets::ApplyOrdering(const TOrdering& ordering) {
  std::lock_guard lock(Mutex_);
  TSheet* s = FindSheet(ordering.SheetId);
  if (s == nullptr || s->Generation != ordering.Generation || ordering.Order.size() != s->X.size()) return false;
  std::vector<std::string> xs(s->X.size()), fs(s->F.size());
  bool moved = false;
  for (std::size_t i = 0; i < ordering.Order.size(); ++i) {
    xs[i] = std::move(s->X[ordering.Order[i]]);
    fs[i] = std::move(s->F[ordering.Order[i]]);
    moved = moved || ordering.Order[i] != i;
  }
  s->X.swap(xs);
  s->F.swap(fs);
  if (moved) Changed(*s);
  return true;
}

}  // namespace helmax
