// The windows' small field dialogs: one "Name:" field (add or rename a
// category or a unit) and a "From #" / "Count" range (delete rows). The
// field comes up focused and selected; what Ok does is the window's (a
// subclass's accept()).
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>

namespace helmax {

enum class TDialogButtons { OwnRow, Standard };  // OkCancelRow or OkCancelBox

class TNameFieldDialog : public QDialog {
 public:
  using TButtons = TDialogButtons;
  TNameFieldDialog(QWidget* owner, const char* objectName, const char* fieldObjectName, const QString& initial,
                   int width, TButtons buttons);
  void SetFields(const QString& caption, const QString& name);
  QLineEdit* NameEdit() const { return Name_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* Name_;
};

class TFromCountDialog : public QDialog {
 public:
  using TButtons = TDialogButtons;
  // Field object names "from" and "count", or "From" and "Count" (capitals).
  TFromCountDialog(QWidget* owner, const char* objectName, const char* title, bool capitalNames, const QString& from,
                   TButtons buttons);
  QLineEdit* FromEdit() const { return From_; }
  QLineEdit* CountEdit() const { return Count_; }

 protected:
  void showEvent(QShowEvent* event) override;  // focuses From
  QLineEdit* From_;
  QLineEdit* Count_;
};

}  // namespace helmax
