// The button row of the program's own small dialogs.
#pragma once

#include <QDialog>
#include <QHBoxLayout>

namespace helmax {

// "&Ok" (the default, object name "ok") and "&Cancel" ("cancel") at the
// right, accepting and rejecting the dialog.
QHBoxLayout* OkCancelRow(QDialog* dialog);

}  // namespace helmax
