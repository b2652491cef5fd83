// Conv's ids are positions in sorted lists: category n is the n-th category
// in alphabetical order, unit m the m-th unit of its category. An edit of
// the table that adds, renames or removes a category or unit moves the ids
// after it, so that Conv(9, 2, 3, 212) (Fahrenheit to Kelvin) would
// convert something else. After such an edit the ids move as the names
// say, and the Conv calls written with literal ids can be renumbered to
// keep their meaning.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ConversionTable.h"

namespace helmax {

// The names of a table's categories and units, in id order.
struct TConversionNames {
  struct TCategory {
    std::string Name;
    std::vector<std::string> Units;
  };
  std::vector<TCategory> Categories;
};
TConversionNames ConversionNamesOf(const std::vector<TUnitCategory>& categories);

// A category (Category empty) or a unit of Category that an edit renamed.
struct TRenamed {
  std::string Category, From, To;
};

// Where the ids of before went: from 1, 0 where a category or unit is gone.
struct TConvIdMapping {
  std::vector<int> Categories;          // [old category id - 1]
  std::vector<std::vector<int>> Units;  // [old category id - 1][old unit id - 1]
  // True when some id now stands for another number.
  bool Moves() const;
};
// By names (letter case ignored), a renamed item following its new name.
TConvIdMapping MapConvIds(const TConversionNames& before, const TConversionNames& after,
                          const std::vector<TRenamed>& renamed = {});

// The Conv calls of an expression text (a pane's text, its line breaks
// included) whose first three arguments are literal whole numbers and
// whose ids moved to other numbers, rewritten to the new ones. The calls
// are found as the calculator reads the text: the name Conv in any letter
// case directly before "(" (blanks and line breaks between do not count),
// four arguments at the call's own depth. A call to a category or unit that
// is gone, or whose ids did not move, stays as it is and is not counted.
struct TRenumberedText {
  int Count = 0;
  std::string Text;
};
TRenumberedText RenumberConvCalls(std::string_view text, const TConvIdMapping& mapping);

// The question asked after an edit that moved the ids of count calls.
std::string RenumberQuestion(int count);

// A copy of the categories without their compiled engines or paths (for
// undoing an edit).
std::vector<TUnitCategory> CopyCategories(const std::vector<TUnitCategory>& categories);

}  // namespace helmax
