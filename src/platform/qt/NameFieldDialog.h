// A small dialog with one "Name:" field, focused and selected when shown:
// the windows' "add" and "rename" of a category or a unit. What Ok does is
// the window's (a subclass's accept()).
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>

namespace helmax {

class TNameFieldDialog : public QDialog {
 public:
  enum class TButtons { OwnRow, Standard };  // OkCancelRow or OkCancelBox
  TNameFieldDialog(QWidget* owner, const char* objectName, const char* fieldObjectName, const QString& initial,
                   int width, TButtons buttons);
  void SetFields(const QString& caption, const QString& name);
  QLineEdit* NameEdit() const { return Name_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* Name_;
};

}  // namespace helmax
