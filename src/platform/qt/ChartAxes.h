// The axes of the tools' charts (Qt Charts): numbers written as the
// calculator writes them (1E6, not 1e+06).
#pragma once

#include <QCategoryAxis>

namespace helmax {

// The axis's ticks over its range, labelled with the calculator's numbers
// (the function table's chart and the interpolation window's).
void LabelTicks(QCategoryAxis* axis);

}  // namespace helmax
