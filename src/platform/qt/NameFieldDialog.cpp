#include "NameFieldDialog.h"
#include "DialogButtons.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace helmax {

TNameFieldDialog::TNameFieldDialog(QWidget* owner, const char* objectName, const char* fieldObjectName,
                                   const QString& initial, int width, TButtons buttons)
    : QDialog(owner), Name_(new QLineEdit(initial)) {
  setObjectName(objectName);
  Name_->setObjectName(fieldObjectName);
  auto* form = new QFormLayout;
  form->addRow("Name:", Name_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  if (buttons == TButtons::OwnRow) layout->addLayout(OkCancelRow(this));
  else layout->addWidget(OkCancelBox(this));
  resize(width, 90);
}

void TNameFieldDialog::SetFields(const QString& caption, const QString& name) {
  setWindowTitle(caption);
  Name_->setText(name);
}

void TNameFieldDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Name_->setFocus();
  Name_->selectAll();
}

}  // namespace helmax
