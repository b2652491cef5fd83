// TExchangeWindow: converts an amount between two currencies through a
// reference currency with the rates of an Access (.mdb) or Firebird (.fdb)
// database; which product follows the extension of the exchange file. It
// presents the core's TExchange: the calculation, the quick mode that
// converts again at every change of the amount, the full and quick
// appearances, the history of amounts and the Firebird user dialog. Opening
// a database and calculating run on the calculator's worker.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <memory>

#include "Exchange.h"
#include "ExchangeHistory.h"
#include "ExchangeHistoryWindow.h"
#include "ExchangeModels.h"
#include "FirebirdUserDialog.h"
#include "QtUserInterface.h"
#include "ToolHost.h"

namespace helmax {

class TExchangeWindow : public QWidget {
  Q_OBJECT
 public:
  TExchangeWindow(TToolHost host, QWidget* owner);
  ~TExchangeWindow() override;

  // Shows the window; without an exchange file it offers the sample
  // database that comes with the program.
  void ShowWindow();
  // At start: opens the exchange file of the settings when it is a .mdb or
  // .fdb file.
  void OpenAtStart();
  // Opens the exchange file of the settings again (the lists follow).
  void OpenDatabase();
  // File > Open after the file dialog: for an existing file, after "ARE
  // YOU SURE ?", it becomes the exchange file and is opened.
  void OpenChosenFile(const QString& fileName);
  // "&Calculate".
  void Calculate();
  // Esc: keeps the amount in the history and clears the boxes.
  void KeepAmount();
  void SetQuick(bool quick);
  bool Quick() const { return Quick_; }
  bool Running() const { return Running_; }

  // The sample database offered when no exchange file is set.
  QString SampleFile;
  // Shows (true) or hides the main window.
  std::function<void(bool)> OnSetMainVisible;

  TExchange& Tool() { return *Tool_; }
  TExchangeHistory& History() { return History_; }
  TExchangeHistoryWindow* HistoryWindow() const { return HistoryWindow_; }
  QPlainTextEdit* AmountBox() const { return Amount_; }
  QPlainTextEdit* DateBox() const { return Date_; }
  QPlainTextEdit* ResultsBox() const { return Results_; }
  QGroupBox* AmountGroup() const { return AmountGroup_; }
  QGroupBox* DateGroup() const { return DateGroup_; }
  QGroupBox* ResultsGroup() const { return ResultsGroup_; }
  QTableView* ReferenceGrid() const { return Grids_[0]; }
  QTableView* FromGrid() const { return Grids_[1]; }
  QTableView* ToGrid() const { return Grids_[2]; }
  QLineEdit* NameBox(int list) const { return Names_[list]; }
  QPushButton* CalculateButton() const { return Calculate_; }
  QCheckBox* LatestQuoteBox() const { return LatestQuote_; }
  QString StatusPath() const { return Path_->text(); }
  QString StatusRates() const { return Rates_->text(); }
  QAction* Action(const QString& objectName) const;
  // Chooses a currency of a list (0 reference, 1 from, 2 to) by CharCode.
  bool Choose(int list, const QString& charCode);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus(QWidget* menuHolder);
  QWidget* BuildList(int list, const QString& title);
  void ShowColumnsMenu(int list, const QPoint& at);
  void ApplyColumns(int list);
  void ShowCurrentName(int list);
  std::optional<TCurrency> Current(int list) const;
  void UseFile();
  void ChooseFileToOpen();
  void RecomputeQuick();
  void ResetResults();
  void UpdateProductTexts();
  TRatesProduct Product() const;
  std::string& ExchangeFileName() const;

  TToolHost Host_;
  std::unique_ptr<TGuiThreadUserInterface> WorkerUi_;  // messages of the core from the worker
  std::unique_ptr<TExchange> Tool_;
  TExchangeHistory History_;
  TExchangeHistoryWindow* HistoryWindow_;
  TFirebirdUserDialog* UserDialog_;

  QPlainTextEdit* Amount_;
  QPlainTextEdit* Date_;
  QPlainTextEdit* Results_;
  QGroupBox* AmountGroup_;
  QGroupBox* DateGroup_;
  QGroupBox* ResultsGroup_;
  QWidget* AmountPanel_ = nullptr;
  QWidget* DatePanel_ = nullptr;
  QWidget* ListsPanel_ = nullptr;
  QWidget* ButtonsPanel_ = nullptr;
  QStatusBar* Status_ = nullptr;
  QLabel* Path_;
  QLabel* Rates_;
  QPushButton* Calculate_;
  QCheckBox* LatestQuote_;
  QTableView* Grids_[3] = {};
  QLineEdit* Names_[3] = {};
  TCurrencyListModel* Models_[3] = {};
  bool Shown_[3][3] = {{false, false, true}, {false, false, true}, {false, false, true}};  // columns per list

  bool Quick_ = false;
  QSize FullSize_;
  bool Running_ = false;
  bool QuickWaiting_ = false;  // a quick conversion is queued and will read the amount
  bool SampleOffered_ = false;
  bool OpenAsked_ = false;  // a database was asked for: the one of the settings no longer opens at start
  // What the core holds, copied when its work is done: the window never
  // reads the core while the worker may use it.
  bool DatabaseOpen_ = false;
  std::string OpenFile_;  // the file of the open database
  std::string LastDate_, LastReference_, LastQuoteDays_;
};

}  // namespace helmax
