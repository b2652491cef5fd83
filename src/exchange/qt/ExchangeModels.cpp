#include "ExchangeModels.h"

namespace helmax {

int TCurrencyListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Currencies_.size());
}

int TCurrencyListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TCurrencyListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const TCurrency& c = Currencies_[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case 0: return c.NumCode;
    case 1: return QString::fromStdString(c.CharCode);
    default: return QString::fromStdString(c.CurrName);
  }
}

QVariant TCurrencyListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const char* const kTitles[3] = {"NumCode", "CharCode", "CurrName"};
  return section >= 0 && section < 3 ? QString(kTitles[section]) : QVariant();
}

void TCurrencyListModel::SetCurrencies(std::vector<TCurrency> currencies) {
  beginResetModel();
  Currencies_ = std::move(currencies);
  endResetModel();
}

int THistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(History_.Entries().size()) + 1;
}

int THistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant THistoryModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (row >= History_.Entries().size()) return {};
  if (index.column() == 0) return index.row() + 1;
  return QString::fromStdString(History_.Entries()[row]);
}

QVariant THistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return section == 0 ? QString("#") : QString("Amount");
}

void THistoryModel::Reload() {
  beginResetModel();
  endResetModel();
}

}  // namespace helmax
