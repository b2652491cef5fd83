// Solvers of banded systems for the cubic splines: TTridiagonalSolver
// (Thomas algorithm) and TCyclicTridiagonalSolver (the periodic variant,
// whose first row also links to the last unknown and whose last row links
// to the first).
//
// Rows are numbered 0..n. Row i reads
//   Lower(i)·y(i-1) + Diagonal(i)·y(i) + Upper(i)·y(i+1) = Right(i);
// for the tridiagonal solver Lower(0) and Upper(n) lie outside the band and
// count as 0. A solve refuses ("BAD SYSTEM") a system with a row i >= 1 that
// is not strictly diagonally dominant.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FixedTexts.h"

namespace helmax {

enum class TBandCoefficient { Lower, Diagonal, Upper, Right };

class TBandSolver {
 public:
  static constexpr const char* kNotSolved = texts::kNotSolved;
  static constexpr const char* kBadSystem = texts::kBadSystem;
  static constexpr const char* kOutOfMemory = texts::kOutOfMemory;

  virtual ~TBandSolver() = default;

  // Frees the rows and makes rows 0..n, every entry NaN. A size beyond
  // MaxSize() (or below 0) leaves no rows and the status "Out of memory".
  void SetSize(std::int64_t n);
  // The last row's number (n), -1 without rows.
  std::int64_t Size() const { return static_cast<std::int64_t>(Diagonal_.size()) - 1; }
  void Set(std::int64_t row, TBandCoefficient which, double value);
  double Get(std::int64_t row, TBandCoefficient which) const;  // NaN outside the rows
  // Solves the system; the status says how it went.
  bool Solve();
  double Solution(std::int64_t row) const;  // NaN outside the rows or unsolved
  bool Solved() const { return State_ == TState::Solved; }
  const std::string& Status() const;

  virtual std::int64_t MaxSize() const = 0;

 protected:
  virtual void Sweep() = 0;
  // Row i's coefficients as the sweeps use them.
  virtual double LowerUsed(std::size_t i) const { return Lower_[i]; }
  virtual double UpperUsed(std::size_t i) const { return Upper_[i]; }
  std::vector<double> Lower_, Diagonal_, Upper_, Right_, Y_;

 private:
  std::vector<double>* Column(TBandCoefficient which);
  bool Dominant() const;
  // The status as a state (setting a coefficient must stay cheap); the
  // text of a failed sizing is kept apart.
  enum class TState { NotSolved, Solved, BadSystem, SizeFailed };
  TState State_ = TState::NotSolved;
  std::string SizeError_;
};

class TTridiagonalSolver : public TBandSolver {
 public:
  std::int64_t MaxSize() const override { return 38347920; }

 protected:
  void Sweep() override;
  double LowerUsed(std::size_t i) const override { return i == 0 ? 0.0 : Lower_[i]; }
  double UpperUsed(std::size_t i) const override { return i + 1 == Upper_.size() ? 0.0 : Upper_[i]; }
};

class TCyclicTridiagonalSolver : public TBandSolver {
 public:
  std::int64_t MaxSize() const override { return 26843543; }

 protected:
  void Sweep() override;
};

// True when a and b agree to about 14 digits: equal binary exponents and
// mantissas that differ by at most 1e-14.
bool NearlyEqualMagnitudes(double a, double b);

}  // namespace helmax
