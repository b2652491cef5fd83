// TExchangeHistoryWindow "Exchange history": the amounts set aside with Esc
// in the exchange window, numbered; a double click or Enter on one puts it
// into the exchange window's amount box. Esc closes it.
#pragma once

#include <QTableView>
#include <QWidget>
#include <functional>

#include "ExchangeHistory.h"
#include "ExchangeModels.h"

namespace helmax {

class TExchangeHistoryWindow : public QWidget {
  Q_OBJECT
 public:
  TExchangeHistoryWindow(TExchangeHistory& history, QWidget* owner);

  void ShowWindow();
  // The history changed.
  void Reload();
  // Chooses the amount of a row (no effect on the empty last row).
  void ChooseRow(int row);

  QTableView* Grid() const { return Grid_; }
  std::function<void(const std::string&)> OnChoose;
  std::function<void()> OnShowMain;
  std::function<void()> OnShowExchange;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TExchangeHistory& History_;
  THistoryModel* Model_;
  QTableView* Grid_;
};

}  // namespace helmax
