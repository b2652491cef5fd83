#include "DialogButtons.h"

#include <QPushButton>
#include <QShortcut>

namespace helmax {

QHBoxLayout* OkCancelRow(QDialog* dialog) {
  auto* ok = new QPushButton("&Ok");
  auto* cancel = new QPushButton("&Cancel");
  ok->setObjectName("ok");
  cancel->setObjectName("cancel");
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

QDialogButtonBox* OkCancelBox(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace helmax

namespace helmax {

void ConfirmWithCtrlEnter(QDialog* dialog, QDialogButtonBox* buttons) {
  if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText("&OK");
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
    auto* shortcut = new QShortcut(keys, dialog);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, dialog, [buttons] {
      if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->click();
    });
  }
}

}  // namespace helmax
