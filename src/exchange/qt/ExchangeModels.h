// Grid models of the exchange windows: a currency list (NumCode, CharCode,
// CurrName) and the exchange history ("#", the amount; the last row is
// always empty).
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "ExchangeHistory.h"
#include "RatesDatabase.h"

namespace helmax {

class TCurrencyListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void SetCurrencies(std::vector<TCurrency> currencies);
  const std::vector<TCurrency>& Currencies() const { return Currencies_; }

 private:
  std::vector<TCurrency> Currencies_;
};

class THistoryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  THistoryModel(const TExchangeHistory& history, QObject* parent) : QAbstractTableModel(parent), History_(history) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The history changed.
  void Reload();

 private:
  const TExchangeHistory& History_;
};

}  // namespace helmax
