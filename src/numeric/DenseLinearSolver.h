// Gaussian elimination with partial pivoting on a dense square matrix of
// reals or complex numbers: the factors are kept, so that one elimination
// serves a solve, the determinant and every column of the inverse.
//
// The matrix is equilibrated first: each row, then each column, is
// multiplied by the power of two that brings its largest modulus into
// [0.5, 1). The scaling is exact, the solution and the determinant are
// those of the given matrix, but badly scaled rows (1e-20 against 1) no
// longer look singular, and entries near the ends of the doubles no
// longer overflow inside the elimination.
//
// A pivot is the entry of largest modulus of its column at or below the
// diagonal (on ties the upper row). The system is singular when a pivot is
// exactly zero, and ill conditioned when a pivot's modulus is below
// tolerance times the largest modulus of the equilibrated matrix.
#pragma once

#include <cstdint>
#include <vector>

#include "NumericWork.h"
#include "Value.h"

namespace helmax {

enum class TEliminationOutcome {
  Done,            // factors and determinant ready
  ZeroPivot,       // determinant 0
  IllConditioned,  // a pivot too small against the matrix; determinant ready
  Overflow,        // the elimination left the range of doubles
};

// A determinant as Mantissa × 10^Exponent: it is kept so through the
// elimination, since the determinant of a regular matrix of ordinary
// entries easily leaves the range of doubles (the entries 1e-300 of a 2 × 2
// matrix give -2E-600). The mantissa's larger part lies in [1, 10); zero
// is Mantissa 0.
template <class T>
struct TWideDeterminant {
  T Mantissa{};
  std::int64_t Exponent = 0;
  // As a plain number: 0 or infinite where it leaves the doubles.
  T Value() const;
};

template <class T>
class TDenseLuSolver {
 public:
  // Eliminates the n × n matrix given by rows (row-major, n * n entries).
  // Throws TWorkStopped when stop says so; progress counts columns.
  TEliminationOutcome Factor(std::vector<T> matrix, int n, double tolerance, const TStopTest& stop = {},
                             TProgress* progress = nullptr);

  // The determinant: the product of the pivots, its sign following the row
  // exchanges, and of the inverse scales. 0 after a zero pivot.
  const TWideDeterminant<T>& Determinant() const { return Determinant_; }
  // Solves for right-hand sides given as the rows of an n × count matrix
  // (row-major), in place: afterwards row i holds component i of every
  // solution. False when a solution left the range of doubles.
  bool Solve(std::vector<T>& rightSides, int count) const;
  // The inverse, row-major.
  bool Inverse(std::vector<T>& inverse) const;

 private:
  int N_ = 0;
  std::vector<T> Lu_;                        // L below the diagonal (unit diagonal implied), U on and above
  std::vector<std::int32_t> Swap_;           // row exchanged with row k at column k
  std::vector<int> RowScale_, ColumnScale_;  // powers of two of the equilibration
  TWideDeterminant<T> Determinant_;
};

extern template struct TWideDeterminant<double>;
extern template struct TWideDeterminant<TComplex>;
extern template class TDenseLuSolver<double>;
extern template class TDenseLuSolver<TComplex>;

}  // namespace helmax
