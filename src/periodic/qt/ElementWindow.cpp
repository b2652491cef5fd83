#include "ElementWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include "PeriodicTableWindow.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

QLabel* CentredLabel(const char* objectName) {
  auto* label = new QLabel;
  label->setObjectName(objectName);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

// ---- the property grid ---------------------------------------------------------------------

int TElementPropertiesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Table_.PropertyRowCount() - 1;
}

int TElementPropertiesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TElementPropertiesModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const int number = index.row() + 1;
  switch (index.column()) {
    case 0: return Text(Table_.PropertyName(number));
    case 1: return Element_ ? Text(Table_.Value(*Element_, number)) : QString();
    case 2: return Text(Table_.Unit(number));
  }
  return {};
}

QVariant TElementPropertiesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const char* const headers[] = {"Property", "Value", "Unit"};
  return section >= 0 && section < 3 ? QString(headers[section]) : QVariant();
}

void TElementPropertiesModel::ShowElement(const TElement* element) {
  beginResetModel();
  Element_ = element;
  endResetModel();
}

// ---- the window ----------------------------------------------------------------------------

TElementWindow::TElementWindow(const TPeriodicTable& table, TConstantList& constants, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Table_(table),
      Constants_(constants),
      Top_(new QFrame),
      Number_(CentredLabel("number")),
      Symbol_(CentredLabel("symbol")),
      Name_(CentredLabel("name")),
      Class_(new QGroupBox),
      State_(new QLabel),
      Group_(new QLabel),
      Period_(new QLabel),
      Radioactive_(new QLabel),
      Toxic_(new QLabel),
      Synthetic_(new QLabel),
      Oxidation_(new QListWidget),
      Model_(new TElementPropertiesModel(table, this)),
      Grid_(new QTableView),
      Add_(new QPushButton("&Add to Const")) {
  setObjectName("elementWindow");
  setWindowTitle("Element");
  CloseOnEscape(this);

  auto* menus = new QMenuBar;
  QMenu* view = menus->addMenu("&View");
  StayOnTop_ = AddStayOnTop(view, this);
  QMenu* window = menus->addMenu("&Window");
  const std::pair<const char*, std::function<void()>*> items[] = {
      {"&Main", &OnShowMain}, {"&Periodic Table", &OnShowPeriodicTable}, {"&Constants", &OnShowConstants}};
  const char* names[] = {"main", "periodicTable", "constants"};
  int n = 0;
  for (const auto& [caption, callback] : items) {
    QAction* a = window->addAction(caption);
    a->setObjectName(names[n++]);
    connect(a, &QAction::triggered, this, [callback] {
      if (*callback) (*callback)();
    });
  }

  // The top panel: number, symbol and name, on the class's colour.
  Top_->setObjectName("topPanel");
  Top_->setFrameShape(QFrame::StyledPanel);
  Top_->setAutoFillBackground(true);
  QFont big = Symbol_->font();
  big.setPointSize(big.pointSize() * 3);
  big.setBold(true);
  Symbol_->setFont(big);
  auto* top = new QVBoxLayout(Top_);
  top->addWidget(Number_);
  top->addWidget(Symbol_);
  top->addWidget(Name_);

  Class_->setObjectName("classPanel");
  State_->setObjectName("state");
  Group_->setObjectName("group");
  Period_->setObjectName("period");
  Radioactive_->setObjectName("radioactive");
  Toxic_->setObjectName("toxic");
  Synthetic_->setObjectName("synthetic");
  auto* facts = new QGridLayout(Class_);
  facts->addWidget(State_, 0, 0);
  facts->addWidget(Group_, 1, 0);
  facts->addWidget(Period_, 2, 0);
  facts->addWidget(Radioactive_, 0, 1);
  facts->addWidget(Toxic_, 1, 1);
  facts->addWidget(Synthetic_, 2, 1);
  facts->setColumnStretch(0, 1);
  facts->setColumnStretch(1, 1);
  facts->setRowStretch(3, 1);
  Oxidation_->setObjectName("oxidation");
  auto* oxidationBox = new QGroupBox("Oxidation states");
  auto* oxidation = new QVBoxLayout(oxidationBox);
  oxidation->addWidget(Oxidation_);
  oxidationBox->setMaximumWidth(130);
  // Room for four states; more scroll.
  Oxidation_->setMaximumHeight(4 * Oxidation_->fontMetrics().height() + 2 * Oxidation_->frameWidth() + 8);
  auto* middle = new QHBoxLayout;
  middle->addWidget(Class_, 1);
  middle->addWidget(oxidationBox);
  Class_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  oxidationBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

  Grid_->setObjectName("properties");
  Grid_->setModel(Model_);
  Grid_->verticalHeader()->hide();
  Grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Grid_->installEventFilter(this);
  Grid_->viewport()->installEventFilter(this);
  connect(Grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { SendToConversion(index.row()); });
  Add_->setObjectName("addToConst");
  connect(Add_, &QPushButton::clicked, this, &TElementWindow::AddToConstants);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Add_);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menus);
  layout->addWidget(Top_);
  layout->addLayout(middle);
  layout->addWidget(Grid_, 1);
  layout->addLayout(buttons);
  resize(380, 520);
}

void TElementWindow::ShowElement(const TElement& element) {
  Element_ = &element;
  QPalette colours = Top_->palette();
  colours.setColor(QPalette::Window, ElementClassColor(element.Class));
  colours.setColor(QPalette::WindowText, ElementSymbolColor(element.Class));
  Top_->setPalette(colours);
  Number_->setText(QString::number(element.Number));
  Symbol_->setText(Text(element.Symbol));
  Name_->setText(Text(element.Name));
  Class_->setTitle(ElementClassName(element.Class));
  State_->setText(MatterStateName(element.State));
  Group_->setText(element.Group != 0 ? "Group: " + QString::number(element.Group) : QString());
  Period_->setText(element.Period != 0 ? "Period: " + QString::number(element.Period) : QString());
  Radioactive_->setText(element.Radioactive ? "Radioactive" : "");
  Toxic_->setText(element.Toxic ? "Toxic" : "");
  Synthetic_->setText(element.Synthetic ? "Synthetic" : "");
  Oxidation_->clear();
  for (int state : element.Oxidation) Oxidation_->addItem(Text(OxidationText(state)));
  const int row = std::max(0, Grid_->currentIndex().row());
  Model_->ShowElement(&element);
  if (Model_->rowCount() > 0) Grid_->setCurrentIndex(Model_->index(std::min(row, Model_->rowCount() - 1), 0));
  FitColumns();
}

void TElementWindow::AddToConstants() {
  const int row = Grid_->currentIndex().row();
  if (Element_ == nullptr || row < 0) return;
  if (BeforeCoreAccess) BeforeCoreAccess();
  if (AddPropertyToConstants(Table_, *Element_, row + 1, Constants_) && OnConstantAdded) OnConstantAdded();
}

void TElementWindow::SendToConversion(int row) {
  if (Element_ == nullptr || row < 0 || row >= Model_->rowCount()) return;
  const int number = row + 1;
  if (OnSendToConversion)
    OnSendToConversion(Text(Table_.Value(*Element_, number)), Text(ConversionStatusText(Table_, *Element_, number)));
}

bool TElementWindow::eventFilter(QObject* watched, QEvent* event) {
  // The viewport narrows when the scroll bar appears, after the window's
  // own resize.
  if (watched == Grid_->viewport() && event->type() == QEvent::Resize) FitColumns();
  if (watched == Grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      SendToConversion(Grid_->currentIndex().row());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// The columns share the grid's width 5:4:3.
void TElementWindow::FitColumns() {
  const int twelfth = std::max(8, (Grid_->viewport()->width() - 3) / 12);
  const int parts[3] = {5, 4, 3};
  for (int c = 0; c < 3; ++c) Grid_->setColumnWidth(c, twelfth * parts[c]);
}

}  // namespace helmax
