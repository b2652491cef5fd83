#include "ConstantListWindow.h"
#include "FixedTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollBar>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

// ---- grid --------------------------------------------------------------------------

int TConstantsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : List_.RowCount() - 1; }

int TConstantsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant TConstantsModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const int row = index.row() + 1;
  const TConstRec& r = List_.Row(row);
  switch (index.column()) {
    case 0: return row;
    case 1: return QString::fromStdString(r.Name);
    case 2: return QString::fromStdString(r.Value);
    case 3: return QString::fromStdString(r.Expression);
    default: return QString::fromStdString(r.Description);
  }
}

QVariant TConstantsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const char* const titles[] = {"#", "Name", "Value", "Expression", "Description"};
  return titles[section];
}

void TConstantsModel::Reload() {
  beginResetModel();
  endResetModel();
}

// ---- constant dialog ------------------------------------------------------------

TConstantDialog::TConstantDialog(TConstantList& list, QWidget* owner)
    : QDialog(owner),
      List_(list),
      Name_(new QLineEdit),
      Expression_(new QPlainTextEdit),
      Description_(new QPlainTextEdit) {
  setObjectName("constantDialog");
  setWindowTitle("Edit constants");
  Name_->setObjectName("Name");
  Expression_->setObjectName("Expression");
  Description_->setObjectName("Description");
  Expression_->setTabChangesFocus(true);
  Description_->setTabChangesFocus(true);
  auto* form = new QFormLayout;
  form->addRow("Name", Name_);
  form->addRow("Expression", Expression_);
  form->addRow("Description", Description_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TConstantDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TConstantDialog::reject);
  // Enter breaks a line in the expression or description.
  ConfirmWithCtrlEnter(this, buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  resize(460, 300);
}

void TConstantDialog::SetFields(int targetRow, const QString& name, const QString& expression,
                                const QString& description, bool nameEnabled) {
  TargetRow_ = targetRow;
  Name_->setText(name);
  Expression_->setPlainText(expression);
  Description_->setPlainText(description);
  Name_->setEnabled(nameEnabled);
}

void TConstantDialog::SetFontPixels(int pixels) {
  for (QWidget* w : std::initializer_list<QWidget*>{Name_, Expression_, Description_}) SetFontSize(w, pixels);
}

void TConstantDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (Name_->isEnabled()) Name_->setFocus();
  else Expression_->setFocus();
}

void TConstantDialog::accept() {
  if (List_.AddConst(TargetRow_, Name_->text().toStdString(), Expression_->toPlainText().toStdString(),
                     Description_->toPlainText().toStdString()))
    QDialog::accept();
}

void TConstantDialog::done(int result) {
  QDialog::done(result);
  // The engines' error events wrote into the results pane.
  if (OnClosed) OnClosed();
}

// ---- delete dialog ----------------------------------------------------------------

TDeleteConstantsDialog::TDeleteConstantsDialog(TConstantList& list, QWidget* owner)
    : TFromCountDialog(owner, "deleteConstantsDialog", "Delete constants", true, "7", TButtons::Standard),
      List_(list) {}

void TDeleteConstantsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  From_->setText("7");
  Count_->setFocus();
  Count_->selectAll();
}

void TDeleteConstantsDialog::accept() {
  if (List_.DeleteConsts(From_->text().toStdString(), Count_->text().toStdString())) QDialog::accept();
}

void TDeleteConstantsDialog::done(int result) {
  QDialog::done(result);
  if (OnClosed) OnClosed();
}

// ---- the list -------------------------------------------------------------------------

TConstantListWindow::TConstantListWindow(TConstantList& list, QWidget* owner)
    : QWidget(owner, Qt::Window),
      List_(list),
      Model_(new TConstantsModel(list, this)),
      Grid_(new QTableView),
      Dialog_(new TConstantDialog(list, this)),
      Delete_(new TDeleteConstantsDialog(list, this)) {
  setObjectName("constantListWindow");
  setWindowTitle("Constant list");
  CloseOnEscape(this);
  auto* menus = new QMenuBar;
  QMenu* edit = menus->addMenu("&Edit");
  QAction* add = edit->addAction("&Add const");
  add->setObjectName("addConstant");
  connect(add, &QAction::triggered, this, &TConstantListWindow::AddConstant);
  QAction* del = edit->addAction("&Delete const");
  del->setObjectName("deleteConstants");
  connect(del, &QAction::triggered, this, &TConstantListWindow::DeleteConstants);
  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  QMenu* window = menus->addMenu("&Window");
  QAction* main = window->addAction("&Main");
  main->setObjectName("main");
  connect(main, &QAction::triggered, this, [this] {
    if (OnShowMain) OnShowMain();
  });
  QAction* library = window->addAction("&Def constants");
  library->setObjectName("constantsLibrary");
  connect(library, &QAction::triggered, this, [this] {
    if (OnShowLibrary) OnShowLibrary();
  });

  Grid_->setModel(Model_);
  Grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid_->verticalHeader()->hide();
  Grid_->setMouseTracking(true);
  Grid_->setToolTip(texts::kDoubleClickForEdit);
  Grid_->installEventFilter(this);
  connect(Grid_, &QTableView::entered, this, [this](const QModelIndex& i) { TargetRow_ = i.row() + 1; });
  connect(Grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { EditRow(i.row() + 1); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menus);
  layout->addWidget(Grid_);
  resize(640, 320);

  auto closed = [this] {
    if (OnClearResults) OnClearResults();
  };
  Dialog_->OnClosed = closed;
  Delete_->OnClosed = closed;
}

void TConstantListWindow::Refresh() {
  Model_->Reload();
  FitColumns();
}

void TConstantListWindow::EnterCore() {
  if (BeforeCoreAccess) BeforeCoreAccess();
}

void TConstantListWindow::RefreshList() {
  EnterCore();
  List_.Refresh();
  Refresh();
}

void TConstantListWindow::ShowList() {
  EnterCore();
  List_.Refresh();
  Refresh();
  if (!Placed_) {
    Placed_ = true;
    CentreOnOwner(this, parentWidget());
  }
  ShowInFront(this);
}

void TConstantListWindow::EditRow(int row) {
  EnterCore();
  if (row < 1 || row >= List_.RowCount()) return;
  TargetRow_ = row;
  const TConstRec& r = List_.Row(row);
  Dialog_->SetFields(row, QString::fromStdString(r.Name), QString::fromStdString(r.Expression),
                     QString::fromStdString(r.Description), row > 6);
  Grid_->selectRow(row - 1);
  if (Dialog_->exec() == QDialog::Accepted) ShowList();
}

void TConstantListWindow::AddConstant() {
  EnterCore();
  TargetRow_ = List_.RowCount();
  Dialog_->SetFields(TargetRow_, "", "", "", true);
  if (Dialog_->exec() == QDialog::Accepted) ShowList();
}

void TConstantListWindow::DeleteConstants() {
  EnterCore();
  if (Delete_->exec() == QDialog::Accepted) ShowList();
  Refresh();
}

bool TConstantListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      EditRow(Grid_->currentIndex().row() + 1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TConstantListWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitColumns();
}

// Column 0 is 40 pixels; the others share the rest 2:2:4:2, the names'
// column at least as wide as its longest name (INTEGRTOLERANCE).
void TConstantListWindow::FitColumns() {
  Grid_->setColumnWidth(0, 40);
  const int rest = std::max(100, Grid_->viewport()->width() - 40);
  int longest = 0;
  for (int r = 0; r < Grid_->model()->rowCount(); ++r)
    longest = std::max(longest, Grid_->fontMetrics().horizontalAdvance(Grid_->model()->index(r, 1).data().toString()));
  const int names = std::max(rest * 2 / 10, longest + 12);
  Grid_->setColumnWidth(1, names);
  const int parts[3] = {2, 4, 2};
  const int others = std::max(60, rest - names);
  for (int c = 2; c <= 4; ++c) Grid_->setColumnWidth(c, others * parts[c - 2] / 8);
}

}  // namespace helmax
