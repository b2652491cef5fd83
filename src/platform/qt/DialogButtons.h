// The button row of the program's own small dialogs.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>

namespace helmax {

// "&Ok" (the default, object name "ok") and "&Cancel" ("cancel") at the
// right, accepting and rejecting the dialog.
QHBoxLayout* OkCancelRow(QDialog* dialog);

// The platform's standard OK and Cancel buttons, accepting and rejecting
// the dialog.
QDialogButtonBox* OkCancelBox(QDialog* dialog);

// For a dialog with a multi-line field, where Enter breaks the line:
// Ctrl+Enter (either Enter key) confirms like OK, and OK gets the access
// key O ("&OK").
void ConfirmWithCtrlEnter(QDialog* dialog, QDialogButtonBox* buttons);

}  // namespace helmax
