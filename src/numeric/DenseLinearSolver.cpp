#include "DenseLinearSolver.h"

#include <cmath>
#include <utility>

namespace helmax {
namespace {

// Arithmetic shared by both kinds of entries. Complex products and
// quotients are written out as the engine computes them (Smith's quotient),
// without the library's NaN recovery, which would cost more than the
// elimination itself.
inline bool IsZero(double v) { return v == 0.0; }
inline bool IsZero(const TComplex& z) { return z.Re == 0.0 && z.Im == 0.0; }
inline bool IsFinite(double v) { return std::isfinite(v); }
inline bool IsFinite(const TComplex& z) { return std::isfinite(z.Re) && std::isfinite(z.Im); }

// A modulus fit for comparing: the absolute value of a real, the square of
// a complex modulus (in long double, which cannot overflow here).
inline long double Magnitude(double v) { return std::fabs(v); }
inline long double Magnitude(const TComplex& z) {
  const long double re = z.Re, im = z.Im;
  return re * re + im * im;
}
// tolerance as a limit on Magnitude: squared for complex entries.
inline long double Limit(double tolerance, long double largest, double) { return tolerance * largest; }
inline long double Limit(double tolerance, long double largest, const TComplex&) {
  return static_cast<long double>(tolerance) * tolerance * largest;
}

inline double Mul(double a, double b) { return a * b; }
inline TComplex Mul(const TComplex& a, const TComplex& b) {
  return {a.Re * b.Re - a.Im * b.Im, a.Re * b.Im + a.Im * b.Re};
}
inline double Div(double a, double b) { return a / b; }
inline TComplex Div(const TComplex& x, const TComplex& y) {
  if (std::fabs(y.Re) >= std::fabs(y.Im)) {
    const double t = y.Im / y.Re;
    const double d = y.Re + y.Im * t;
    return {(x.Re + x.Im * t) / d, (x.Im - x.Re * t) / d};
  }
  const double t = y.Re / y.Im;
  const double d = y.Re * t + y.Im;
  return {(x.Re * t + x.Im) / d, (x.Im * t - x.Re) / d};
}
inline double Neg(double a) { return -a; }
inline TComplex Neg(const TComplex& a) { return {-a.Re, -a.Im}; }
inline double One(double) { return 1.0; }
inline TComplex One(const TComplex&) { return {1.0, 0.0}; }

// row -= f * pivotRow over count entries: the inner loop of everything
// here, kept free of aliasing so that it vectorises.
inline void SubtractMultiple(double* __restrict row, const double* __restrict pivotRow, double f, int count) {
  for (int m = 0; m < count; ++m) row[m] -= f * pivotRow[m];
}
inline void SubtractMultiple(TComplex* __restrict row, const TComplex* __restrict pivotRow, TComplex f,
                             int count) {
  double* __restrict r = &row->Re;
  const double* __restrict p = &pivotRow->Re;
  for (int m = 0; m < count; ++m) {
    const double pr = p[2 * m], pi = p[2 * m + 1];
    r[2 * m] -= f.Re * pr - f.Im * pi;
    r[2 * m + 1] -= f.Re * pi + f.Im * pr;
  }
}

template <class T>
bool AllFinite(const std::vector<T>& values) {
  for (const T& v : values)
    if (!IsFinite(v)) return false;
  return true;
}

}  // namespace

template <class T>
TEliminationOutcome TDenseLuSolver<T>::Factor(std::vector<T> a, int n, double tolerance, const TStopTest& stop,
                                              TProgress* progress) {
  N_ = n;
  Lu_.clear();
  Swap_.assign(static_cast<std::size_t>(n), 0);
  Determinant_ = One(T{});
  const std::size_t stride = static_cast<std::size_t>(n);
  long double largest = 0;
  for (const T& v : a)
    if (Magnitude(v) > largest) largest = Magnitude(v);
  const long double smallest = Limit(tolerance, largest, T{});
  if (progress) progress->Start(n);

  bool illConditioned = false;
  for (int k = 0; k < n; ++k) {
    if (StopAsked(stop)) throw TWorkStopped{};
    if (progress) progress->Set(k);
    T* const pivotRow = &a[static_cast<std::size_t>(k) * stride];
    int p = k;
    long double best = Magnitude(pivotRow[k]);
    for (int j = k + 1; j < n; ++j) {
      const long double s = Magnitude(a[static_cast<std::size_t>(j) * stride + static_cast<std::size_t>(k)]);
      if (s > best) {
        best = s;
        p = j;
      }
    }
    Swap_[static_cast<std::size_t>(k)] = p;
    if (p != k) {
      std::swap_ranges(pivotRow, pivotRow + n, &a[static_cast<std::size_t>(p) * stride]);
      Determinant_ = Neg(Mul(Determinant_, pivotRow[k]));
    } else {
      Determinant_ = Mul(Determinant_, pivotRow[k]);
    }
    const T pivot = pivotRow[k];
    if (IsZero(pivot)) {
      Determinant_ = T{};
      return TEliminationOutcome::ZeroPivot;
    }
    if (Magnitude(pivot) < smallest) illConditioned = true;
    for (int j = k + 1; j < n; ++j) {
      T* const row = &a[static_cast<std::size_t>(j) * stride];
      const T f = Div(row[k], pivot);
      row[k] = f;
      if (!IsZero(f)) SubtractMultiple(row + k + 1, pivotRow + k + 1, f, n - k - 1);
    }
  }
  if (progress) progress->Set(n);
  if (!AllFinite(a)) return TEliminationOutcome::Overflow;
  Lu_ = std::move(a);
  return illConditioned ? TEliminationOutcome::IllConditioned : TEliminationOutcome::Done;
}

template <class T>
bool TDenseLuSolver<T>::Solve(std::vector<T>& b, int count) const {
  const int n = N_;
  const std::size_t width = static_cast<std::size_t>(count);
  auto row = [&](int i) { return &b[static_cast<std::size_t>(i) * width]; };
  auto lu = [&](int i, int j) { return Lu_[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + j]; };
  // The row exchanges first, in their order; then L and U.
  for (int k = 0; k < n; ++k)
    if (Swap_[static_cast<std::size_t>(k)] != k) std::swap_ranges(row(k), row(k) + count, row(Swap_[k]));
  for (int k = 0; k < n; ++k)
    for (int j = k + 1; j < n; ++j)
      if (!IsZero(lu(j, k))) SubtractMultiple(row(j), row(k), lu(j, k), count);
  for (int i = n - 1; i >= 0; --i) {
    T* const r = row(i);
    for (int j = i + 1; j < n; ++j)
      if (!IsZero(lu(i, j))) SubtractMultiple(r, row(j), lu(i, j), count);
    const T pivot = lu(i, i);
    for (int c = 0; c < count; ++c) r[c] = Div(r[c], pivot);
  }
  return AllFinite(b);
}

template <class T>
bool TDenseLuSolver<T>::Inverse(std::vector<T>& inverse) const {
  const std::size_t n = static_cast<std::size_t>(N_);
  inverse.assign(n * n, T{});
  for (std::size_t i = 0; i < n; ++i) inverse[i * n + i] = One(T{});
  return Solve(inverse, N_);
}

template class TDenseLuSolver<double>;
template class TDenseLuSolver<TComplex>;

}  // namespace helmax
