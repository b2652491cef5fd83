#include "FieldDialogs.h"
#include "DialogButtons.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace helmax {

namespace {

void AddButtons(QDialog* dialog, QVBoxLayout* layout, TDialogButtons buttons) {
  if (buttons == TDialogButtons::OwnRow) layout->addLayout(OkCancelRow(dialog));
  else layout->addWidget(OkCancelBox(dialog));
}

void FocusAndSelect(QLineEdit* field) {
  field->setFocus();
  field->selectAll();
}

}  // namespace

TNameFieldDialog::TNameFieldDialog(QWidget* owner, const char* objectName, const char* fieldObjectName,
                                   const QString& initial, int width, TButtons buttons)
    : QDialog(owner), Name_(new QLineEdit(initial)) {
  setObjectName(objectName);
  Name_->setObjectName(fieldObjectName);
  auto* form = new QFormLayout;
  form->addRow("Name:", Name_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  AddButtons(this, layout, buttons);
  resize(width, 90);
}

void TNameFieldDialog::SetFields(const QString& caption, const QString& name) {
  setWindowTitle(caption);
  Name_->setText(name);
}

void TNameFieldDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FocusAndSelect(Name_);
}

TFromCountDialog::TFromCountDialog(QWidget* owner, const char* objectName, const char* title, bool capitalNames,
                                   const QString& from, TButtons buttons)
    : QDialog(owner), From_(new QLineEdit(from)), Count_(new QLineEdit("1")) {
  setObjectName(objectName);
  setWindowTitle(title);
  From_->setObjectName(capitalNames ? "From" : "from");
  Count_->setObjectName(capitalNames ? "Count" : "count");
  auto* form = new QFormLayout;
  form->addRow("From #", From_);
  form->addRow("Count", Count_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  AddButtons(this, layout, buttons);
}

void TFromCountDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FocusAndSelect(From_);
}

}  // namespace helmax
