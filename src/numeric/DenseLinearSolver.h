// Gaussian elimination with partial pivoting on a dense square matrix of
// reals or complex numbers: the factors are kept, so that one elimination
// serves a solve, the determinant and every column of the inverse.
//
// A pivot is the entry of largest modulus of its column at or below the
// diagonal (on ties the upper row). The system is singular when a pivot is
// exactly zero, and ill conditioned when a pivot's modulus is below
// tolerance times the largest modulus of the matrix.
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

template <class T>
class TDenseLuSolver {
 public:
  // Eliminates the n × n matrix given by rows (row-major, n * n entries).
  // Throws TWorkStopped when stop says so; progress counts columns.
  TEliminationOutcome Factor(std::vector<T> matrix, int n, double tolerance, const TStopTest& stop = {},
                             TProgress* progress = nullptr);

  int Size() const { return N_; }
  // The determinant: the product of the pivots, its sign following the row
  // exchanges. 0 after a zero pivot; it may be infinite.
  T Determinant() const { return Determinant_; }
  // Solves for right-hand sides given as the rows of an n × count matrix
  // (row-major), in place: afterwards row i holds component i of every
  // solution. False when a solution left the range of doubles.
  bool Solve(std::vector<T>& rightSides, int count) const;
  // The inverse, row-major.
  bool Inverse(std::vector<T>& inverse) const;

 private:
  int N_ = 0;
  std::vector<T> Lu_;              // L below the diagonal (unit diagonal implied), U on and above
  std::vector<std::int32_t> Swap_;  // row exchanged with row k at column k
  T Determinant_{};
};

extern template class TDenseLuSolver<double>;
extern template class TDenseLuSolver<TComplex>;

}  // namespace helmax
