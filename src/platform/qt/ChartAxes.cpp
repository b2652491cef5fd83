#include "ChartAxes.h"

#include "ChartData.h"

namespace helmax {

void LabelTicks(QCategoryAxis* axis) {
  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  axis->setStartValue(axis->min());
  for (const TAxisTick& tick : AxisTicks(axis->min(), axis->max(), axis->tickCount()))
    axis->append(QString::fromStdString(tick.Label), tick.Value);
}

}  // namespace helmax
