#include "DenseLinearSolver.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
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

// A modulus fit for comparing: the absolute value of a real (a double:
// these loops run over every entry), the square of a complex modulus (in
// long double, which cannot overflow here).
inline double Magnitude(double v) { return std::fabs(v); }
inline long double Magnitude(const TComplex& z) {
  const long double re = z.Re, im = z.Im;
  return re * re + im * im;
}
// tolerance as a limit on Magnitude: squared for complex entries.
inline long double Limit(double tolerance, long double largest, double) { return tolerance * largest; }
inline long double Limit(double tolerance, long double largest, const TComplex&) {
  return static_cast<long double>(tolerance) * tolerance * largest;
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
inline double One(double) { return 1.0; }
inline TComplex One(const TComplex&) { return {1.0, 0.0}; }

// row -= f * pivotRow over count entries: the inner loop of everything
// here, kept free of aliasing so that it vectorises.
inline void SubtractMultiple(double* __restrict row, const double* __restrict pivotRow, double f, int count) {
  for (int m = 0; m < count; ++m) row[m] -= f * pivotRow[m];
}
inline void SubtractMultiple(TComplex* __restrict row, const TComplex* __restrict pivotRow, TComplex f, int count) {
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

// row -= l[0]·u[0] - l[1]·u[1] - ... over count entries, the products
// subtracted one after the other as the column-by-column elimination
// would; four at a time while the row stays in registers.
inline void SubtractMultiples(double* __restrict row, const double* const* u, const double* l, int nk, int count) {
  int i = 0;
  for (; i + 4 <= nk; i += 4) {
    const double l0 = l[i], l1 = l[i + 1], l2 = l[i + 2], l3 = l[i + 3];
    const double* __restrict u0 = u[i];
    const double* __restrict u1 = u[i + 1];
    const double* __restrict u2 = u[i + 2];
    const double* __restrict u3 = u[i + 3];
    for (int m = 0; m < count; ++m) row[m] = (((row[m] - l0 * u0[m]) - l1 * u1[m]) - l2 * u2[m]) - l3 * u3[m];
  }
  for (; i < nk; ++i) SubtractMultiple(row, u[i], l[i], count);
}
inline void SubtractMultiples(TComplex* __restrict row, const TComplex* const* u, const TComplex* l, int nk,
                              int count) {
  for (int i = 0; i < nk; ++i) SubtractMultiple(row, u[i], l[i], count);
}

// A running product as (Re + i·Im) × 10^Exponent in long double, its
// larger part brought back into [1, 10) after every factor, so that no
// product of finite factors over- or underflows, and none is NaN.
struct TDecimalProduct {
  long double Re = 1, Im = 0;
  std::int64_t Exponent = 0;

  void Multiply(long double re, long double im) {
    const long double big = std::max(std::fabs(re), std::fabs(im));
    if (big == 0 || (Re == 0 && Im == 0)) {
      Re = Im = 0;
      Exponent = 0;
      return;
    }
    const int k = static_cast<int>(std::floor(std::log10(big)));
    const long double unit = std::pow(10.0L, static_cast<long double>(k));
    re /= unit;
    im /= unit;
    const long double r = Re * re - Im * im, i = Re * im + Im * re;
    Re = r;
    Im = i;
    Exponent += k;
    for (;;) {
      const long double size = std::max(std::fabs(Re), std::fabs(Im));
      if (size >= 10) {
        Re /= 10;
        Im /= 10;
        ++Exponent;
      } else if (size < 1) {
        Re *= 10;
        Im *= 10;
        --Exponent;
      } else {
        break;
      }
    }
  }
  void Multiply(double v) { Multiply(v, 0.0L); }
  void Multiply(const TComplex& z) { Multiply(z.Re, z.Im); }
  void MultiplyByPowerOfTwo(int e) { Multiply(std::ldexp(1.0L, e), 0.0L); }
  void Negate() {
    Re = -Re;
    Im = -Im;
  }
  void Store(TWideDeterminant<double>& d) const {
    d.Mantissa = static_cast<double>(Re);
    d.Exponent = Exponent;
  }
  void Store(TWideDeterminant<TComplex>& d) const {
    d.Mantissa = {static_cast<double>(Re), static_cast<double>(Im)};
    d.Exponent = Exponent;
  }
};

inline double ScaledByPowerOfTwo(double v, int e) { return std::ldexp(v, e); }
inline double ScaledBy(double v, double factor) { return v * factor; }
inline TComplex ScaledBy(const TComplex& z, double factor) { return {z.Re * factor, z.Im * factor}; }
inline TComplex ScaledByPowerOfTwo(const TComplex& z, int e) { return {std::ldexp(z.Re, e), std::ldexp(z.Im, e)}; }

// entries[0..count) times 2^e: a product with the power itself where it is
// a double (exact, as ldexp, but without a call per entry).
template <class T>
void ScaleByPowerOfTwo(T* entries, int count, int e) {
  if (e == 0) return;
  if (e < -1022 || e > 1023) {
    for (int k = 0; k < count; ++k) entries[k] = ScaledByPowerOfTwo(entries[k], e);
    return;
  }
  const double factor = std::ldexp(1.0, e);
  double* d = reinterpret_cast<double*>(entries);
  const int doubles = count * static_cast<int>(sizeof(T) / sizeof(double));
  for (int k = 0; k < doubles; ++k) d[k] *= factor;
}

// The power of two that brings a largest modulus into [0.5, 1); 0 for 0.
inline int ScaleFor(long double magnitude, double) {
  int e = 0;
  if (magnitude > 0) std::frexp(magnitude, &e);
  return -e;
}
inline int ScaleFor(long double squaredModulus, const TComplex&) {
  int e = 0;
  if (squaredModulus > 0) std::frexp(std::sqrt(squaredModulus), &e);
  return -e;
}

}  // namespace

template <class T>
T TWideDeterminant<T>::Value() const {
  // Out of the long double's range the exponent alone decides.
  if (Exponent > 5000) return ScaledByPowerOfTwo(Mantissa, 20000);
  if (Exponent < -5000) return ScaledByPowerOfTwo(Mantissa, -20000);
  const long double unit = std::pow(10.0L, static_cast<long double>(Exponent));
  if constexpr (std::is_same_v<T, double>) {
    return static_cast<double>(Mantissa * unit);
  } else {
    return {static_cast<double>(Mantissa.Re * unit), static_cast<double>(Mantissa.Im * unit)};
  }
}

// Blocked by panels of columns: within a panel the columns are eliminated
// one by one; the rest of the matrix receives the panel's updates in one
// pass per row while the panel's rows stay in the cache. Every entry still
// receives its updates in column order, so the result is the same as that
// of the plain column-by-column elimination.
template <class T>
TEliminationOutcome TDenseLuSolver<T>::Factor(std::vector<T> a, int n, double tolerance, const TStopTest& stop,
                                              TProgress* progress) {
  constexpr int kPanel = 32;
  N_ = n;
  Lu_.clear();
  Swap_.assign(static_cast<std::size_t>(n), 0);
  const std::size_t stride = static_cast<std::size_t>(n);
  auto row = [&](int i) { return &a[static_cast<std::size_t>(i) * stride]; };
  // Equilibration: rows, then columns; the determinant starts as the
  // product of the inverse scales.
  using TSize = decltype(Magnitude(T{}));
  TDecimalProduct determinant;
  RowScale_.assign(stride, 0);
  ColumnScale_.assign(stride, 0);
  for (int i = 0; i < n; ++i) {
    T* const r = row(i);
    TSize rowLargest = 0;
    for (int j = 0; j < n; ++j) rowLargest = std::max(rowLargest, Magnitude(r[j]));
    const int e = ScaleFor(rowLargest, T{});
    RowScale_[static_cast<std::size_t>(i)] = e;
    ScaleByPowerOfTwo(r, n, e);
    determinant.MultiplyByPowerOfTwo(-e);
  }
  std::vector<TSize> columnLargest(stride, 0);
  for (int i = 0; i < n; ++i) {
    const T* const r = row(i);
    for (int j = 0; j < n; ++j)
      columnLargest[static_cast<std::size_t>(j)] =
          std::max(columnLargest[static_cast<std::size_t>(j)], Magnitude(r[j]));
  }
  for (int j = 0; j < n; ++j) {
    const int e = ScaleFor(columnLargest[static_cast<std::size_t>(j)], T{});
    ColumnScale_[static_cast<std::size_t>(j)] = e;
    determinant.MultiplyByPowerOfTwo(-e);
  }
  // Each column by its power of two: one pass over the rows with the powers
  // as doubles (exact products), or entry by entry where a power is beyond
  // the doubles.
  std::vector<double> columnFactor(stride, 1.0);
  bool factorsAreDoubles = true;
  for (int j = 0; j < n; ++j) {
    const int e = ColumnScale_[static_cast<std::size_t>(j)];
    if (e < -1022 || e > 1023) factorsAreDoubles = false;
    else columnFactor[static_cast<std::size_t>(j)] = std::ldexp(1.0, e);
  }
  for (int i = 0; i < n; ++i) {
    T* const r = row(i);
    if (factorsAreDoubles) {
      for (int j = 0; j < n; ++j) r[j] = ScaledBy(r[j], columnFactor[static_cast<std::size_t>(j)]);
    } else {
      for (int j = 0; j < n; ++j) r[j] = ScaledByPowerOfTwo(r[j], ColumnScale_[static_cast<std::size_t>(j)]);
    }
  }
  TSize largest = 0;
  for (const T& v : a) largest = std::max(largest, Magnitude(v));
  const long double smallest = Limit(tolerance, largest, T{});
  if (progress) progress->Start(n);

  bool illConditioned = false;
  std::vector<const T*> panelRows(kPanel);
  std::vector<T> multipliers(kPanel);
  for (int k0 = 0; k0 < n; k0 += kPanel) {
    const int panelEnd = std::min(n, k0 + kPanel);  // columns k0 .. panelEnd - 1
    for (int k = k0; k < panelEnd; ++k) {
      if (StopAsked(stop)) throw TWorkStopped{};
      if (progress) progress->Set(k);
      T* const pivotRow = row(k);
      int p = k;
      TSize best = Magnitude(pivotRow[k]);
      for (int j = k + 1; j < n; ++j) {
        const TSize s = Magnitude(row(j)[k]);
        if (s > best) {
          best = s;
          p = j;
        }
      }
      Swap_[static_cast<std::size_t>(k)] = p;
      if (p != k) {
        std::swap_ranges(pivotRow, pivotRow + n, row(p));
        determinant.Negate();
      }
      const T pivot = pivotRow[k];
      determinant.Multiply(pivot);
      determinant.Store(Determinant_);
      if (IsZero(pivot)) {
        Determinant_ = {};
        return TEliminationOutcome::ZeroPivot;
      }
      if (Magnitude(pivot) < smallest) illConditioned = true;
      for (int j = k + 1; j < n; ++j) {
        T* const r = row(j);
        const T f = Div(r[k], pivot);
        r[k] = f;
        SubtractMultiple(r + k + 1, pivotRow + k + 1, f, panelEnd - k - 1);
      }
    }
    if (panelEnd == n) break;
    const int rest = n - panelEnd;
    const int panel = panelEnd - k0;
    for (int i = 0; i < panel; ++i) panelRows[static_cast<std::size_t>(i)] = row(k0 + i) + panelEnd;
    // The panel's own rows first: each takes the updates of the rows above
    // it in the panel.
    for (int k = k0 + 1; k < panelEnd; ++k) {
      for (int i = 0; i < k - k0; ++i) multipliers[static_cast<std::size_t>(i)] = row(k)[k0 + i];
      SubtractMultiples(row(k) + panelEnd, panelRows.data(), multipliers.data(), k - k0, rest);
    }
    for (int j = panelEnd; j < n; ++j) {
      T* const r = row(j);
      SubtractMultiples(r + panelEnd, panelRows.data(), r + k0, panel, rest);
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
  std::vector<const T*> rows(static_cast<std::size_t>(n));
  auto row = [&](int i) { return &b[static_cast<std::size_t>(i) * width]; };
  for (int i = 0; i < n; ++i) rows[static_cast<std::size_t>(i)] = row(i);
  auto lu = [&](int i) { return &Lu_[static_cast<std::size_t>(i) * static_cast<std::size_t>(n)]; };
  // The row exchanges first, in their order; then L and U, each row taking
  // the updates of the rows before it in elimination order.
  for (int i = 0; i < n; ++i) ScaleByPowerOfTwo(row(i), count, RowScale_[static_cast<std::size_t>(i)]);
  for (int k = 0; k < n; ++k)
    if (Swap_[static_cast<std::size_t>(k)] != k) std::swap_ranges(row(k), row(k) + count, row(Swap_[k]));
  for (int j = 1; j < n; ++j) SubtractMultiples(row(j), rows.data(), lu(j), j, count);
  for (int i = n - 1; i >= 0; --i) {
    T* const r = row(i);
    SubtractMultiples(r, rows.data() + i + 1, lu(i) + i + 1, n - i - 1, count);
    const T pivot = lu(i)[i];
    for (int c = 0; c < count; ++c) r[c] = Div(r[c], pivot);
  }
  // The equilibrated system's unknowns are the given ones over the column
  // scales.
  for (int i = 0; i < n; ++i) ScaleByPowerOfTwo(row(i), count, ColumnScale_[static_cast<std::size_t>(i)]);
  return AllFinite(b);
}

template <class T>
bool TDenseLuSolver<T>::Inverse(std::vector<T>& inverse) const {
  const std::size_t n = static_cast<std::size_t>(N_);
  inverse.assign(n * n, T{});
  for (std::size_t i = 0; i < n; ++i) inverse[i * n + i] = One(T{});
  return Solve(inverse, N_);
}

template struct TWideDeterminant<double>;
template struct TWideDeterminant<TComplex>;
template class TDenseLuSolver<double>;
template class TDenseLuSolver<TComplex>;

}  // namespace helmax
