// The interpolation sheets: one or more tables of points (x, f(x)) whose
// cells are expression texts, with the point data that the external
// functions Lagrange(x, sheet) and CubicSpline(x, sheet) interpolate over,
// and the sheets' .dat files.
//
// The cells are edited on the window's thread while the functions run on the
// calculator's worker: every access takes the lock, and the points are read
// from a copy of the texts, evaluated outside the lock and kept only when the
// sheet did not change meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HelmaxComplexEval.h"
#include "Interpolation.h"
#include "NumericWork.h"
#include "UserInterface.h"

namespace helmax {

enum TSheetColumn { scX = 1, scF = 2 };

class TInterpolationSheets {
 public:
  static constexpr int kNewSheetRows = 10;

  TInterpolationSheets();

  // ---- where cells are evaluated, and how a long reading stops ----
  // The engine that evaluates the cells (the calculator's auxiliary
  // engine); only the worker thread uses it.
  void SetCellEngine(THelmaxComplexEval* engine) { CellEngine_ = engine; }
  void SetStopTest(TStopTest stop) { Stop_ = std::move(stop); }
  // Rows read so far by the reading that runs, for a progress display.
  TProgress& Progress() { return Progress_; }

  // ---- the external functions (worker thread) ----
  void Lagrange(TValue* const* args, int count, TValue& result);
  void CubicSpline(TValue* const* args, int count, TValue& result);

  // ---- sheets and cells (window thread) ----
  int SheetCount() const;
  int RowCount(int sheet) const;  // sheets from 0, rows from 0
  std::string Cell(int sheet, int row, int column) const;
  // Every change of a cell marks its sheet's points stale.
  void SetCell(int sheet, int row, int column, const std::string& text);
  void SetRowCount(int sheet, int rows);
  int AddSheet();  // the new sheet's index
  void RemoveSheet(int sheet);
  TSplineKind SplineKind(int sheet) const;
  void SetSplineKind(int sheet, TSplineKind kind);
  // The sheet's file: a name that may be written (FileValid) or none.
  std::string FileName(int sheet) const;
  bool FileValid(int sheet) const;
  // Edited since it was last read from or written to its file (or since it
  // was created).
  bool Modified(int sheet) const;
  bool AnyModified() const;
  // True once, after a cell changed: the definitions may use the sheets and
  // must be compiled again.
  bool TakeDefinitionsChange();
  bool DefinitionsChangePending() const;

  // ---- Edit menu (window thread; messages through ui) ----
  // "Rows count": the sheet gets exactly that many data rows.
  bool AddRows(int sheet, const std::string& countText, TUserInterface& ui);
  // "Delete rows": From # and Count as typed.
  bool DeleteRows(int sheet, const std::string& fromText, const std::string& countText, TUserInterface& ui);
  // Asks first; the last sheet is never deleted.
  bool DeleteSheet(int sheet, TUserInterface& ui);

  // ---- files ----
  // Reads the file into the sheet (asking first when the sheet has unsaved
  // edits).
  bool ReadFile(int sheet, const std::string& path, TUserInterface& ui);
  // Writes the sheet to path, which becomes its file; refuses cells that
  // the file cannot keep.
  bool WriteFile(int sheet, const std::string& path, TUserInterface& ui);
  // The file's text for a sheet, or the message why it cannot be written.
  bool SheetFileText(int sheet, std::string& text, std::string& error) const;

  // ---- what the window shows of a sheet (worker thread) ----
  // Its points, its Lagrange and spline curves sampled over [first x,
  // last x], and both values at an x typed as an expression of constants,
  // each as the functions give it or the message why not.
  struct TSheetView {
    std::vector<double> X, F;                  // the points, sorted by x
    std::vector<double> At, Lagrange, Spline;  // the curves; NaN where Null
    std::string PointsError, LagrangeError, SplineError;
    bool HasX = false;  // an x was typed
    double XValue = 0.0;
    std::string XError;                // the x text does not evaluate
    std::string LagrangeAt, SplineAt;  // the values at x as the calculator writes them, or the failure
    bool Stopped = false;
  };
  static constexpr int kViewSamples = 200;
  // Larger sheets are left to the functions: their reading, and the
  // Lagrange weights, would take seconds at every edit.
  static constexpr std::size_t kViewRowLimit = 100000;
  static constexpr std::size_t kViewLagrangeLimit = 5000;
  TSheetView View(int sheet, const std::string& xText, int samples = kViewSamples);

  // ---- ordering (the worker reads, the window reorders) ----
  struct TOrdering {
    std::uint64_t SheetId = 0;
    std::uint64_t Generation = 0;
    std::vector<std::size_t> Order;  // row indices in ascending x
  };
  // Evaluates the sheet's x cells; throws std::runtime_error with the
  // reading's message.
  TOrdering ReadOrdering(int sheet);
  // Reorders the rows when the sheet is unchanged since the reading; false
  // otherwise.
  bool ApplyOrdering(const TOrdering& ordering);

 private:
  struct TPoints {
    std::vector<double> X, F;
    std::string SameX;         // the message naming two rows with equal x, or empty
    TLagrangeWeights Weights;  // when read for Lagrange
  };
  struct TSheet {
    std::uint64_t Id = 0;
    std::uint64_t Generation = 0;  // counts the changes of its cells
    std::vector<std::string> X, F;
    TSplineKind Kind = TSplineKind::Natural;
    bool LagrangeStale = true;
    bool SplineStale = true;
    bool FileValid = false;
    bool Modified = false;
    std::string FileName;
    std::shared_ptr<const TPoints> Points;
    std::shared_ptr<const std::vector<double>> SecondDerivatives;
  };
  struct TSnapshot {
    int Number = 0;  // 1-based, for messages
    std::uint64_t Id = 0;
    std::uint64_t Generation = 0;
    std::vector<std::string> X, F;
    TSplineKind Kind = TSplineKind::Natural;
  };

  void Changed(TSheet& sheet);  // under the lock
  TSheet* FindSheet(std::uint64_t id);
  // The sheet number argument checked and the points it needs, read when
  // stale. forSpline: at least 4 points and the second derivatives.
  int CheckArguments(TValue* const* args, int count, double& x);
  std::shared_ptr<const TPoints> PointsFor(int number, bool forSpline,
                                           std::shared_ptr<const std::vector<double>>& secondDerivatives);
  // Evaluates every cell of the snapshot (x only when xOnly).
  TPoints Evaluate(const TSnapshot& snapshot, bool xOnly);
  double EvaluateCell(const std::string& text, int number, int row, bool isX);

  mutable std::mutex Mutex_;
  std::vector<TSheet> Sheets_;
  std::uint64_t NextId_ = 1;
  bool DefinitionsChange_ = false;
  THelmaxComplexEval* CellEngine_ = nullptr;
  TStopTest Stop_;
  TProgress Progress_;
  bool Reading_ = false;      // worker thread only
  bool EvaluatingX_ = false;  // the view's x text is evaluated (worker thread)
};

}  // namespace helmax
