// Interpolation through points (x, f): the Lagrange polynomial and natural
// or periodic cubic splines, whose second derivatives M come from the band
// solvers. Points are sorted by x before use.
#pragma once

#include <string>
#include <vector>

#include "NumericWork.h"

namespace helmax {

enum class TSplineKind { Natural, Periodic };

// Sorts the pairs by x ascending; pairs with equal x keep their order.
void SortPoints(std::vector<double>& x, std::vector<double>& f);
// The order that sorts x (indices into x), equal x keeping their order.
std::vector<std::size_t> SortingOrder(const std::vector<double>& x);

// The Lagrange polynomial Σ f(i)·Π(m≠i) (t - x(m))/(x(i) - x(m)), evaluated
// in barycentric form: with the weights w(i) = 1/Π(m≠i) (x(i) - x(m)) and
// l(t) = Π (t - x(m)), p(t) = l(t)·Σ w(i)·f(i)/(t - x(i)), and p(x(k)) =
// f(k). The products over all points leave the range of doubles from some
// hundreds of points on; here they are kept as mantissa and exponent.
//
// The weights of distinct x, in units of a power of two near a quarter of
// the range (Scale), and divided by 2^Exponent so that the largest is near
// 1. Their cost grows with the square of the point count; the value's is
// linear.
struct TLagrangeWeights {
  std::vector<double> W;
  int Exponent = 0;
  double Scale = 1.0;
  bool Blocks = false;  // no two points so close that products may be taken 8 factors at a time
};
TLagrangeWeights LagrangeWeights(const std::vector<double>& x, const TStopTest& stop = {});
double LagrangeValue(const std::vector<double>& x, const std::vector<double>& f, const TLagrangeWeights& weights,
                     double t);
// Both steps at once. Polls stop now and then.
double LagrangeValue(const std::vector<double>& x, const std::vector<double>& f, double t, const TStopTest& stop = {});

// Second derivatives of the spline through points 0..N (N >= 3, x sorted and
// distinct). Empty on success, else the band solver's status text. The
// periodic spline expects f(N) = f(0).
std::string NaturalSplineSecondDerivatives(const std::vector<double>& x, const std::vector<double>& f,
                                           std::vector<double>& m);
std::string PeriodicSplineSecondDerivatives(const std::vector<double>& x, const std::vector<double>& f,
                                            std::vector<double>& m);

// The first interval i (1..N) with x(i-1) <= t <= x(i), ends that equal t
// within the calculator's tolerance included; 0 when t lies outside.
std::size_t SplineInterval(const std::vector<double>& x, double t);
// The spline's value at t on interval i, expanded about the nearer end of
// the interval, so that a knot gives its data exactly.
double SplineValue(const std::vector<double>& x, const std::vector<double>& f, const std::vector<double>& m,
                   std::size_t i, double t);

}  // namespace helmax
