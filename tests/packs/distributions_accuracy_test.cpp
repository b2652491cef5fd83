// Accuracy of every function of the distributions pack against Boost.Math
// over the argument grids of DistributionGrid.h: the worst relative error
// stays below the bound chosen for the function's algorithm.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "DistributionGrid.h"

namespace helmax {
namespace {

TEST(DistributionsAccuracy, EveryFunctionHasAGrid) {
  std::set<std::string> covered;
  for (const grid::TGridCase& c : grid::DistributionGrid()) {
    EXPECT_FALSE(c.Points.empty()) << c.Name;
    covered.insert(c.Name);
  }
  for (const TUserFuncRec& r : DistributionFunctions()) EXPECT_TRUE(covered.count(r.Name)) << r.Name;
  EXPECT_EQ(covered.size(), DistributionFunctions().size());
}

TEST(DistributionsAccuracy, WorstRelativeErrorWithinBound) {
  const TUserFuncArray functions = DistributionFunctions();
  for (const grid::TGridCase& c : grid::DistributionGrid()) {
    SCOPED_TRACE(c.Name + (c.Reason[0] ? std::string(" (") + c.Reason + ")" : std::string()));
    const TUserFuncRec& rec = grid::FindFunction(functions, c.Name);
    double worst = 0.0;
    grid::Args worstAt;
    for (const grid::Args& a : c.Points) {
      double error = 0.0;
      try {
        error = grid::RelativeError(grid::CallOurs(rec, a), c.Reference(a), c.Floor);
      } catch (const std::exception& ex) {
        std::ostringstream at;
        for (double x : a) at << x << ' ';
        ADD_FAILURE() << c.Name << " failed at " << at.str() << ": " << ex.what();
        continue;
      }
      if (!(error <= worst)) {
        worst = error;
        worstAt = a;
      }
    }
    std::ostringstream at;
    for (double x : worstAt) at << x << ' ';
    EXPECT_LE(worst, c.Bound) << c.Name << " worst at " << at.str();
  }
}

}  // namespace
}  // namespace helmax
