#include "ExchangeHistoryWindow.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

namespace helmax {

TExchangeHistoryWindow::TExchangeHistoryWindow(TExchangeHistory& history, QWidget* owner)
    : QWidget(owner, Qt::Window), History_(history), Model_(new THistoryModel(history, this)), Grid_(new QTableView) {
  setObjectName("exchangeHistoryWindow");
  setWindowTitle("Exchange history");
  CloseOnEscape(this);
  Grid_->setObjectName("historyGrid");
  Grid_->setModel(Model_);
  Grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid_->verticalHeader()->hide();
  Grid_->installEventFilter(this);
  connect(Grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { ChooseRow(index.row()); });

  auto* menus = new QMenuBar;
  QMenu* options = menus->addMenu("&Options");
  AddStayOnTop(options, this);
  QAction* clear = options->addAction("&Clear history");
  clear->setObjectName("clearHistory");
  connect(clear, &QAction::triggered, this, [this] {
    History_.Clear();
    Reload();
  });
  QMenu* window = menus->addMenu("&Window");
  QAction* main = window->addAction("&Main");
  main->setObjectName("main");
  connect(main, &QAction::triggered, this, [this] {
    if (OnShowMain) OnShowMain();
  });
  QAction* exchange = window->addAction("&Exchange");
  exchange->setObjectName("exchange");
  connect(exchange, &QAction::triggered, this, [this] {
    if (OnShowExchange) OnShowExchange();
  });

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menus);
  layout->addWidget(Grid_);
  resize(320, 300);
}

void TExchangeHistoryWindow::ShowWindow() {
  ShowInFront(this);
  Grid_->setFocus();
}

void TExchangeHistoryWindow::Reload() {
  Model_->Reload();
  Grid_->setCurrentIndex(Model_->index(Model_->rowCount() - 1, 1));
}

void TExchangeHistoryWindow::ChooseRow(int row) {
  if (row < 0 || row >= static_cast<int>(History_.Entries().size())) return;
  if (OnChoose) OnChoose(History_.Entries()[static_cast<std::size_t>(row)]);
}

bool TExchangeHistoryWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ChooseRow(Grid_->currentIndex().row());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// "#" is 40 pixels wide, the amount takes the rest of the window less 80.
void TExchangeHistoryWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Grid_->setColumnWidth(0, 40);
  Grid_->setColumnWidth(1, std::max(60, width() - 80));
}

}  // namespace helmax
