#include "BandSolvers.h"

#include <cmath>
#include <limits>

namespace helmax {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

bool NearlyEqualMagnitudes(double a, double b) {
  int ea = 0, eb = 0;
  const double ma = std::frexp(a, &ea);
  const double mb = std::frexp(b, &eb);
  return ea == eb && std::fabs(ma - mb) <= 1e-14;
}

const std::string& TBandSolver::Status() const {
  static const std::string notSolved = kNotSolved, solved, badSystem = kBadSystem;
  switch (State_) {
    case TState::NotSolved: return notSolved;
    case TState::Solved: return solved;
    case TState::BadSystem: return badSystem;
    case TState::SizeFailed: return SizeError_;
  }
  return notSolved;
}

void TBandSolver::SetSize(std::int64_t n) {
  for (std::vector<double>* c : {&Lower_, &Diagonal_, &Upper_, &Right_, &Y_}) std::vector<double>().swap(*c);
  if (n < 0 || n > MaxSize()) {
    State_ = TState::SizeFailed;
    SizeError_ = kOutOfMemory;
    return;
  }
  try {
    const std::size_t rows = static_cast<std::size_t>(n) + 1;
    for (std::vector<double>* c : {&Lower_, &Diagonal_, &Upper_, &Right_, &Y_}) c->assign(rows, kNaN);
    State_ = TState::NotSolved;
  } catch (const std::exception& e) {
    for (std::vector<double>* c : {&Lower_, &Diagonal_, &Upper_, &Right_, &Y_}) std::vector<double>().swap(*c);
    State_ = TState::SizeFailed;
    SizeError_ = e.what();
  }
}

std::vector<double>* TBandSolver::Column(TBandCoefficient which) {
  switch (which) {
    case TBandCoefficient::Lower: return &Lower_;
    case TBandCoefficient::Diagonal: return &Diagonal_;
    case TBandCoefficient::Upper: return &Upper_;
    case TBandCoefficient::Right: return &Right_;
  }
  return &Right_;
}

void TBandSolver::Set(std::int64_t row, TBandCoefficient which, double value) {
  if (row < 0 || row > Size()) return;
  (*Column(which))[static_cast<std::size_t>(row)] = value;
  State_ = TState::NotSolved;
}

double TBandSolver::Get(std::int64_t row, TBandCoefficient which) const {
  if (row < 0 || row > Size()) return kNaN;
  return (*const_cast<TBandSolver*>(this)->Column(which))[static_cast<std::size_t>(row)];
}

double TBandSolver::Solution(std::int64_t row) const {
  if (!Solved() || row < 0 || row > Size()) return kNaN;
  return Y_[static_cast<std::size_t>(row)];
}

// Rows 1..n must be strictly diagonally dominant, and not merely equal to
// about 14 digits.
bool TBandSolver::Dominant() const {
  for (std::size_t i = 1; i < Diagonal_.size(); ++i) {
    const double d = std::fabs(Diagonal_[i]);
    const double off = std::fabs(LowerUsed(i)) + std::fabs(UpperUsed(i));
    if (d < off || NearlyEqualMagnitudes(d, off)) return false;
  }
  return true;
}

bool TBandSolver::Solve() {
  if (Diagonal_.empty()) return false;
  if (!Dominant()) {
    State_ = TState::BadSystem;
    return false;
  }
  Sweep();
  State_ = TState::Solved;
  return true;
}

void TTridiagonalSolver::Sweep() {
  const std::size_t n = Diagonal_.size() - 1;
  // Forward: y(i) = alpha(i)·y(i+1) + beta(i); the system itself stays.
  std::vector<double> alpha(n + 1), beta(n + 1);
  alpha[0] = -UpperUsed(0) / Diagonal_[0];
  beta[0] = Right_[0] / Diagonal_[0];
  for (std::size_t i = 1; i <= n; ++i) {
    const double a = LowerUsed(i);
    const double denominator = Diagonal_[i] + a * alpha[i - 1];
    alpha[i] = -UpperUsed(i) / denominator;
    beta[i] = (Right_[i] - a * beta[i - 1]) / denominator;
  }
  Y_[n] = beta[n];
  for (std::size_t i = n; i-- > 0;) Y_[i] = alpha[i] * Y_[i + 1] + beta[i];
}

void TCyclicTridiagonalSolver::Sweep() {
  const std::size_t n = Diagonal_.size() - 1;
  if (n == 0) {
    // One row: it links to itself on both sides.
    Y_[0] = Right_[0] / (Lower_[0] + Diagonal_[0] + Upper_[0]);
    return;
  }
  // Forward: y(i) = alpha(i)·y(i+1) + beta(i) + gamma(i)·y(n).
  std::vector<double> alpha(n + 1), beta(n + 1), gamma(n + 1);
  alpha[0] = -Upper_[0] / Diagonal_[0];
  beta[0] = Right_[0] / Diagonal_[0];
  gamma[0] = -Lower_[0] / Diagonal_[0];
  for (std::size_t i = 1; i <= n; ++i) {
    const double a = Lower_[i];
    const double denominator = Diagonal_[i] + a * alpha[i - 1];
    alpha[i] = -Upper_[i] / denominator;
    beta[i] = (Right_[i] - a * beta[i - 1]) / denominator;
    gamma[i] = -a * gamma[i - 1] / denominator;
  }
  // Backward: y(i) = p(i) + q(i)·y(n) for i < n; p and q reuse beta and
  // gamma's storage once read.
  std::vector<double>& p = beta;
  std::vector<double>& q = gamma;
  const double betaN = beta[n], gammaN = gamma[n];
  q[n - 1] = alpha[n - 1] + gamma[n - 1];
  for (std::size_t i = n - 1; i-- > 0;) {
    p[i] = alpha[i] * p[i + 1] + beta[i];
    q[i] = alpha[i] * q[i + 1] + gamma[i];
  }
  const double yn = (alpha[n] * p[0] + betaN) / (1.0 - alpha[n] * q[0] - gammaN);
  Y_[n] = yn;
  for (std::size_t i = 0; i < n; ++i) Y_[i] = p[i] + q[i] * yn;
}

}  // namespace helmax
