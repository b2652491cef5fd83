// TLinearSystemWindow "System of linear equations solver": the variable
// list, the equations and the results in three panes, the Execute and View
// commands and the .sle files, over the core's TLinearSystem. Commands run
// on the calculator's worker; a large system shows its progress and can be
// cancelled.
#pragma once

#include <QAction>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QWidget>
#include <memory>

#include "LinearSystem.h"
#include "ProgressDisplay.h"
#include "ToolHost.h"

namespace helmax {

class TLinearSystemWindow : public QWidget {
  Q_OBJECT
 public:
  TLinearSystemWindow(TToolHost host, QWidget* owner);

  void ShowWindow();
  void Execute(TSystemCommand command);
  // File menu; the ...File forms take the file the user picked.
  void Open();
  void OpenFile(const QString& fileName);
  void Save();
  void SaveAs();
  bool SaveAsFile(const QString& fileName);
  // When the program ends: false keeps it running (unsaved edits kept).
  bool MayExit();
  void SetFontPixels(int pixels);

  QPlainTextEdit* VariablesBox() const { return Variables_; }
  QPlainTextEdit* EquationsBox() const { return Equations_; }
  QPlainTextEdit* ResultsBox() const { return Results_; }
  QAction* CommandAction(TSystemCommand command) const { return Commands_[static_cast<int>(command)]; }
  QAction* SaveAction() const { return Save_; }
  bool Running() const { return Indicator_->Running(); }

 protected:
 private:
  void BuildMenus(QMenuBar* menus);
  QString StartFolder() const;
  void ShowFileState();

  TToolHost Host_;
  std::unique_ptr<TLinearSystem> System_;
  TProgress Progress_;
  QPlainTextEdit* Variables_;
  QPlainTextEdit* Equations_;
  QPlainTextEdit* Results_;
  QSplitter* Splitter_;
  QAction* Commands_[5] = {};
  QAction* Save_ = nullptr;
  TProgressDisplay* Indicator_;
};

}  // namespace helmax
