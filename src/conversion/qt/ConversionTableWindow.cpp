#include "ConversionTableWindow.h"
#include "FixedTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "EditableGrid.h"
#include "FileDialog.h"
#include "TextUtil.h"
#include "UnitGraphWindow.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

// Both cases of each extension.
const char* const kTableFilter = "Conversion files (*.cnv *.CNV);;Text files (*.txt *.TXT);;All files (*)";
const char* const kCaption = "Conversion definition table";

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- grid ---------------------------------------------------------------------------------------

int TConversionRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Rows_.size());
}

int TConversionRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant TConversionRowsModel::data(const QModelIndex& index, int role) const {
  if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() || index.row() >= rowCount()) return {};
  if (index.column() == 0) return index.row() + 1;
  return Rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column() - 1)];
}

QVariant TConversionRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 4) return {};
  static const char* const titles[] = {"#", "Unit A", "Unit B", "A => B", "B => A"};
  return titles[section];
}

Qt::ItemFlags TConversionRowsModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags f = QAbstractTableModel::flags(index);
  return index.isValid() && index.column() >= 3 ? f | Qt::ItemIsEditable : f;
}

bool TConversionRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() < 3 || index.row() >= rowCount()) return false;
  const QString text = value.toString();
  if (text != Rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column() - 1)])
    emit CellEdited(index.row() + 1, index.column(), text);
  return false;  // the rows show the table, once it has changed
}

void TConversionRowsModel::SetRows(std::vector<TRow> rows) {
  beginResetModel();
  Rows_ = std::move(rows);
  endResetModel();
}

// ---- dialogs ------------------------------------------------------------------------------------

TDefinitionDialog::TDefinitionDialog(QWidget* owner)
    : QDialog(owner),
      UnitA_(new QComboBox),
      UnitB_(new QComboBox),
      NumberA_(new QLineEdit),
      NumberB_(new QLineEdit),
      Forward_(new QLineEdit),
      Backward_(new QLineEdit),
      AddUnit_(new QPushButton("&Add...")),
      EditUnit_(new QPushButton("&Edit...")) {
  setObjectName("definitionDialog");
  UnitA_->setObjectName("unitA");
  UnitB_->setObjectName("unitB");
  NumberA_->setObjectName("numberA");
  NumberB_->setObjectName("numberB");
  Forward_->setObjectName("forward");
  Backward_->setObjectName("backward");
  AddUnit_->setObjectName("addUnit");
  EditUnit_->setObjectName("editUnit");
  for (QComboBox* box : {UnitA_, UnitB_}) {
    box->setMinimumContentsLength(18);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  }
  for (QLineEdit* number : {NumberA_, NumberB_}) number->setMaximumWidth(48);
  auto* grid = new QGridLayout;
  const std::tuple<const char*, QComboBox*, QLineEdit*, QPushButton*> units[] = {
      {"Unit A", UnitA_, NumberA_, EditUnit_}, {"Unit B", UnitB_, NumberB_, AddUnit_}};
  int row = 0;
  for (const auto& [caption, box, number, button] : units) {
    auto* label = new QLabel(caption);
    label->setBuddy(box);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
    grid->addWidget(number, row, 2);
    grid->addWidget(button, row++, 3);
    Pair(box, number);
  }
  for (const auto& [caption, edit] : {std::pair{"A => B", Forward_}, std::pair{"B => A", Backward_}}) {
    auto* label = new QLabel(caption);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row++, 1, 1, 3);
  }
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(OkCancelRow(this));
  // The unit buttons must not take Enter from Ok.
  for (QPushButton* b : {AddUnit_, EditUnit_}) b->setAutoDefault(false);
  connect(AddUnit_, &QPushButton::clicked, this, [this] {
    if (OnAddUnit) OnAddUnit();
  });
  connect(EditUnit_, &QPushButton::clicked, this, [this] {
    if (OnEditUnit) OnEditUnit();
  });
  resize(520, 170);
}

// A unit box and its number box follow each other.
void TDefinitionDialog::Pair(QComboBox* box, QLineEdit* number) {
  auto typing = std::make_shared<bool>(false);  // the number box chooses: it keeps its text
  connect(box, &QComboBox::currentIndexChanged, this, [number, typing](int index) {
    if (!*typing) number->setText(index >= 0 ? QString::number(index + 1) : QString());
  });
  connect(number, &QLineEdit::textEdited, this, [box, number, typing](const QString& text) {
    bool isNumber = false;
    const int n = text.trimmed().toInt(&isNumber);
    *typing = true;
    if (!text.trimmed().isEmpty() && !isNumber) {
      number->setText("0");
      box->setCurrentIndex(-1);
    } else {
      box->setCurrentIndex(isNumber && n >= 1 && n <= box->count() ? n - 1 : -1);
    }
    *typing = false;
  });
}

void TDefinitionDialog::SetUnits(const QStringList& units) {
  for (QComboBox* box : {UnitA_, UnitB_}) {
    box->clear();
    box->addItems(units);
    box->setCurrentIndex(-1);
  }
  NumberA_->clear();
  NumberB_->clear();
}

void TDefinitionDialog::accept() {
  if (OnOk) OnOk();
  else QDialog::accept();
}

void TDeleteDefinitionsDialog::accept() {
  if (OnOk) OnOk();
  else QDialog::accept();
}

void TNameDialog::accept() {
  if (OnOk) OnOk();
  else QDialog::accept();
}

// ---- the window -------------------------------------------------------------------------------

TConversionTableWindow::TConversionTableWindow(TCalculator& calc, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Calc_(calc),
      Table_(calc.Conversions()),
      Check_(std::make_unique<TDefinitionCheck>(calc.Conversions().Ui())),
      Model_(new TConversionRowsModel(this)),
      Categories_(new QComboBox),
      Grid_(new QTableView),
      Status_(new QStatusBar),
      DefinitionDialog_(new TDefinitionDialog(this)),
      DeleteDialog_(new TDeleteDefinitionsDialog(this)),
      NameDialog_(new TNameDialog(this)) {
  setObjectName("conversionTableWindow");
  setWindowTitle(kCaption);
  CloseOnEscape(this);
  auto* menus = new QMenuBar;
  BuildMenus(menus);

  Categories_->setObjectName("categoryBox");
  Categories_->setMinimumContentsLength(24);
  Categories_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  connect(Categories_, &QComboBox::currentIndexChanged, this, [this] {
    if (!Filling_) ShowCategory();
  });
  // A category the user chose is drawn in the graph window too.
  connect(Categories_, &QComboBox::activated, this, [this] {
    if (Graph_ != nullptr && Graph_->isVisible()) ShowGraph();
  });
  auto* group = new QGroupBox("Unit Category");
  auto* groupLayout = new QHBoxLayout(group);
  groupLayout->addWidget(Categories_);
  groupLayout->addStretch(1);

  SetUpEditableGrid(Grid_);
  Grid_->setObjectName("conversionGrid");
  Grid_->setModel(Model_);
  Grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  // The expressions are edited in place (double click, F2 or typing); a
  // double click elsewhere, or Enter, opens the definition dialog.
  Grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  // Once the editor is done with the cell: the change rebuilds the rows.
  connect(Model_, &TConversionRowsModel::CellEdited, this, &TConversionTableWindow::EditCell, Qt::QueuedConnection);

  Grid_->verticalHeader()->hide();
  Grid_->setToolTip(texts::kDoubleClickForEdit);
  Grid_->setMouseTracking(true);
  Grid_->installEventFilter(this);
  Grid_->viewport()->installEventFilter(this);
  connect(Grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.column() < 3) EditRow(i.row() + 1);
  });
  connect(Grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
    if (i.isValid()) CurrentRow_ = i.row() + 1;
  });

  Status_->setObjectName("tableStatus");
  Status_->setSizeGripEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menus);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(6, 6, 6, 0);
  body->addWidget(group);
  body->addWidget(Grid_, 1);
  layout->addLayout(body, 1);
  layout->addWidget(Status_);
  resize(760, 460);

  DefinitionDialog_->OnOk = [this] { DefinitionOk(); };
  DefinitionDialog_->OnAddUnit = [this] {
    if (CurrentCategory() >= 0) OpenNameDialog(TNameMode::AddUnit, "Add unit", "");
  };
  DefinitionDialog_->OnEditUnit = [this] {
    OpenNameDialog(TNameMode::EditUnit, "Edit unit", DefinitionDialog_->UnitABox()->currentText());
  };
  DeleteDialog_->OnOk = [this] { DeleteOk(); };
  NameDialog_->OnOk = [this] { NameOk(); };
  ShowCategories(Table_.CategoryCount() > 0 ? 0 : -1);
}

TConversionTableWindow::~TConversionTableWindow() = default;

void TConversionTableWindow::BuildMenus(QWidget* menuBar) {
  auto* menus = static_cast<QMenuBar*>(menuBar);
  QMenu* file = menus->addMenu("&File");
  AddMenuAction(file, "&New cnv", "newTable", this, &TConversionTableWindow::NewTable);
  AddMenuAction(file, "&Open cnv", "openTable", this, &TConversionTableWindow::OpenTable);
  Save_ = AddMenuAction(file, "&Save cnv", "saveTable", this, &TConversionTableWindow::SaveTable);
  AddMenuAction(file, "Save &As cnv...", "saveTableAs", this, &TConversionTableWindow::SaveTableAs);
  AddMenuAction(file, "&Default cnv", "defaultTable", this, &TConversionTableWindow::RestoreDefaultTable);
  QMenu* edit = menus->addMenu("&Edit");
  AddMenuAction(edit, "&Add definition", "addDefinition", this, &TConversionTableWindow::AddDefinition);
  AddMenuAction(edit, "&Delete definition", "deleteDefinition", this, &TConversionTableWindow::DeleteDefinitions);
  QAction* undo = AddMenuAction(edit, "&Undo", "undo", this, &TConversionTableWindow::Undo);
  undo->setShortcut(QKeySequence::Undo);
  undo->setEnabled(false);
  addAction(undo);  // Ctrl+Z anywhere in the window
  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  QMenu* category = menus->addMenu("&Category");
  AddMenuAction(category, "&Add category", "addCategory", this, &TConversionTableWindow::AddCategory);
  AddMenuAction(category, "&Edit category", "editCategory", this, &TConversionTableWindow::EditCategory);
  AddMenuAction(category, "&Delete category", "deleteCategory", this, &TConversionTableWindow::DeleteCategory);
  QMenu* window = menus->addMenu("&Window");
  AddMenuAction(window, "&Graph", "graph", this, [this] {
    if (ShowGraph()) Graph_->ShowWindow();
  });
  AddMenuAction(window, "&Main", "main", this, [this] {
    if (OnShowMain) OnShowMain();
  });
  AddMenuAction(window, "&Conversion", "conversion", this, [this] {
    if (OnShowConversion) OnShowConversion();
  });
  // What needs a category is offered only then.
  connect(edit, &QMenu::aboutToShow, this, [this, edit] {
    for (QAction* a : edit->actions()) a->setEnabled(a->objectName() == "undo" ? CanUndo() : CurrentCategory() >= 0);
  });
  connect(category, &QMenu::aboutToShow, this, [this] {
    Action("editCategory")->setEnabled(CurrentCategory() >= 0);
    Action("deleteCategory")->setEnabled(CurrentCategory() >= 0);
  });
}

QAction* TConversionTableWindow::Action(const QString& objectName) const { return findChild<QAction*>(objectName); }

void TConversionTableWindow::SetGraphWindow(TUnitGraphWindow* graph) {
  Graph_ = graph;
  // A dragged vertex keeps its place with the table (queued like any
  // change, and never dropped).
  Graph_->OnVertexMoved = [this](int category, int unit, int x, int y) {
    const std::function<bool(TConversionTable&)> move = [=](TConversionTable& t) {
      t.MoveUnit(category, unit, x, y);
      return true;
    };
    if (RunForTool) RunForTool({}, [this, move] { move(Table_); }, {});
    else move(Table_);
  };
}

void TConversionTableWindow::ShowWindow() {
  if (!Running_) ShowTable();
  if (!Placed_) {
    Placed_ = true;
    CentreOnOwner(this, parentWidget());
  }
  ShowInFront(this);
}

void TConversionTableWindow::ShowTable() {
  const int category = std::min(CurrentCategory(), Table_.CategoryCount() - 1);
  ShowCategories(category >= 0 ? category : (Table_.CategoryCount() > 0 ? 0 : -1));
}

// ---- showing ------------------------------------------------------------------------------------

void TConversionTableWindow::ShowCategories(int category) {
  Filling_ = true;
  Categories_->clear();
  for (const TUnitCategory& c : Table_.Categories()) Categories_->addItem(Text(c.Name));
  Categories_->setCurrentIndex(category < Table_.CategoryCount() ? category : -1);
  Filling_ = false;
  ShowCategory();
  ShowFileState();
}

void TConversionTableWindow::ShowCategory() {
  const int category = CurrentCategory();
  std::vector<TConversionRowsModel::TRow> rows;
  UnitNames_.clear();
  if (category >= 0 && category < Table_.CategoryCount()) {
    const TUnitCategory& c = Table_.Category(category);
    for (const TUnit& u : c.Units) UnitNames_ << Text(u.Name);
    for (const TConversionDefinition& d : c.Definitions)
      rows.push_back({UnitNames_.value(d.UnitA), UnitNames_.value(d.UnitB), Text(d.Forward), Text(d.Backward)});
  }
  Model_->SetRows(std::move(rows));
  DefinitionDialog_->SetUnits(UnitNames_);
  FitColumns();
}

void TConversionTableWindow::ShowFileState() {
  Status_->showMessage(Text(Table_.FilePath()));
  Save_->setEnabled(Table_.FileValid());
}

void TConversionTableWindow::SelectCategory(const QString& name) {
  Categories_->setCurrentIndex(Table_.FindCategory(name.toStdString()));
}

void TConversionTableWindow::Locked() {
  if (OnLocked) OnLocked();
  if (Graph_ != nullptr && Graph_->isVisible()) ShowGraph();
  if (CurrentRow_ >= 1 && CurrentRow_ <= Model_->rowCount()) {
    Grid_->selectRow(CurrentRow_ - 1);
    Grid_->scrollTo(Model_->index(CurrentRow_ - 1, 0), QAbstractItemView::PositionAtTop);
  }
}

bool TConversionTableWindow::ShowGraph() {
  if (Graph_ == nullptr || Running_) return false;
  const int category = CurrentCategory();
  if (category < 0 || category >= Table_.CategoryCount()) return Graph_->ShowCategory(nullptr);
  const TGraphCategory shown = Table_.GraphCategory(category);
  return Graph_->ShowCategory(&shown);
}

void TConversionTableWindow::Change(std::function<bool(TConversionTable&)> change, std::function<void(bool)> after,
                                    TChangeKind kind, std::vector<TRenamed> renamed) {
  if (Running_) return;  // one change at a time (a second click on Ok meanwhile does nothing)
  auto done = std::make_shared<bool>(false);
  auto moved = std::make_shared<TConvIdMapping>();
  // Marked running only once it starts: a change that the calculator drops
  // from its queue (Esc) leaves nothing behind.
  auto prepare = [this] { Running_ = true; };
  auto work = [this, done, moved, kind, renamed = std::move(renamed), change = std::move(change)] {
    // Conv's ids before and after, and what undoes the change.
    const TConversionNames before = ConversionNamesOf(Table_.Categories());
    std::vector<TUnitCategory> former;
    if (kind == TChangeKind::Edit) former = CopyCategories(Table_.Categories());
    *done = change(Table_);
    if (!*done) return;
    if (kind == TChangeKind::Edit) {
      UndoSteps_.push_back({std::move(former), renamed});
      if (UndoSteps_.size() > kUndoSteps) UndoSteps_.pop_front();
    } else if (kind == TChangeKind::Load) {
      UndoSteps_.clear();
    }
    *moved = MapConvIds(before, ConversionNamesOf(Table_.Categories()), renamed);
  };
  auto finish = [this, done, moved, after = std::move(after)] {
    Running_ = false;
    if (after) after(*done);
    Action("undo")->setEnabled(CanUndo());
    if (*done && moved->Moves() && OnIdsMoved) OnIdsMoved(*moved);
  };
  if (RunForTool) {
    RunForTool(std::move(prepare), std::move(work), std::move(finish));
  } else {
    prepare();
    work();
    finish();
  }
}

void TConversionTableWindow::Undo() {
  if (UndoSteps_.empty() || Running_) return;
  // The rename that the step undoes, the other way round.
  std::vector<TRenamed> renamed;
  for (const TRenamed& r : UndoSteps_.back().Renamed) renamed.push_back({r.Category, r.To, r.From});
  const QString shown = Categories_->currentText();
  Change(
      [this](TConversionTable& t) {
        TUndoStep step = std::move(UndoSteps_.back());
        UndoSteps_.pop_back();
        t.RestoreCategories(std::move(step.Categories));
        return true;
      },
      [this, shown](bool) {
        CurrentRow_ = 0;
        const int category = Table_.FindCategory(shown.toStdString());
        ShowCategories(category >= 0 ? category : (Table_.CategoryCount() > 0 ? 0 : -1));
        Locked();
      },
      TChangeKind::Keep, std::move(renamed));
}

// ---- file menu ---------------------------------------------------------------------------------

QString TConversionTableWindow::StartFolder() const {
  const std::string& path = Table_.FilePath().empty() ? Calc_.Files().ConversionTable : Table_.FilePath();
  return QFileInfo(Text(path)).absolutePath();
}

void TConversionTableWindow::NewTable() {
  Change([](TConversionTable& t) { return t.NewTable(); },
         [this](bool done) {
           if (!done) return;
           CurrentRow_ = 0;
           ShowCategories(-1);
           Locked();
         },
         TChangeKind::Load);
}

void TConversionTableWindow::OpenTable() {
  setWindowTitle(kCaption);
  const QString file = TFileDialog::OpenFileName(this, "Open", StartFolder(), kTableFilter);
  if (!file.isEmpty()) OpenTableFile(file);
}

void TConversionTableWindow::OpenTableFile(const QString& fileName) {
  const std::string path = fileName.toStdString();
  Change([path](TConversionTable& t) { return t.Open(path); },
         [this](bool done) {
           if (done) {
             CurrentRow_ = 0;
             ShowCategories(Table_.CategoryCount() > 0 ? 0 : -1);
             Locked();
           }
           ShowFileState();
         },
         TChangeKind::Load);
}

void TConversionTableWindow::SaveTable() {
  if (!Table_.FileValid()) return;
  Change([](TConversionTable& t) { return t.SaveConfirmed(); },
         [this](bool) {
           ShowFileState();
           if (OnLocked) OnLocked();  // the save checked the table
         },
         TChangeKind::Keep);
}

QString TConversionTableWindow::ChooseSaveFile() {
  return TFileDialog::SaveFileName(this, "Save As", StartFolder(), kTableFilter, "cnv");
}

void TConversionTableWindow::SaveTableAs() {
  const QString file = ChooseSaveFile();
  if (!file.isEmpty()) SaveTableAsFile(file);
}

void TConversionTableWindow::SaveTableAsFile(const QString& fileName) {
  const std::string path = fileName.toStdString();
  Change([path](TConversionTable& t) { return t.SaveAs(path); },
         [this](bool) {
           ShowFileState();
           if (OnLocked) OnLocked();
         },
         TChangeKind::Keep);
}

void TConversionTableWindow::RestoreDefaultTable() {
  const std::string file = Calc_.Files().ConversionTable;
  Change([file](TConversionTable& t) { return t.RestoreDefault(file); },
         [this](bool done) {
           if (done) {
             CurrentRow_ = 0;
             ShowCategories(Table_.CategoryCount() > 0 ? 0 : -1);
             Locked();
           }
           ShowFileState();
         },
         TChangeKind::Load);
}

bool TConversionTableWindow::MayExit() {
  const bool mayExit = Table_.MayExit([this] {
    ShowWindow();
    return ChooseSaveFile().toStdString();
  });
  ShowFileState();
  return mayExit;
}

// ---- definitions ---------------------------------------------------------------------------------

void TConversionTableWindow::AddDefinition() {
  if (CurrentCategory() < 0 || Running_) return;
  EditingRow_ = false;
  DefinitionDialog_->setWindowTitle("Add conversion definition");
  DefinitionDialog_->SetUnits(UnitNames_);
  DefinitionDialog_->ForwardEdit()->clear();
  DefinitionDialog_->BackwardEdit()->clear();
  DefinitionDialog_->UnitABox()->setFocus();
  DefinitionDialog_->exec();
}

void TConversionTableWindow::EditRow(int row) {
  const int category = CurrentCategory();
  if (category < 0 || category >= Table_.CategoryCount() || Running_ || row < 1 || row > Model_->rowCount() ||
      row > static_cast<int>(Table_.Category(category).Definitions.size()))
    return;
  CurrentRow_ = row;
  EditingRow_ = true;
  const TConversionDefinition& d = Table_.Category(category).Definitions[static_cast<std::size_t>(row - 1)];
  DefinitionDialog_->setWindowTitle("Edit conversion definition");
  DefinitionDialog_->SetUnits(UnitNames_);
  DefinitionDialog_->UnitABox()->setCurrentIndex(d.UnitA);
  DefinitionDialog_->UnitBBox()->setCurrentIndex(d.UnitB);
  DefinitionDialog_->ForwardEdit()->setText(Text(d.Forward));
  DefinitionDialog_->BackwardEdit()->setText(Text(d.Backward));
  Grid_->selectRow(row - 1);
  DefinitionDialog_->ForwardEdit()->setFocus();
  DefinitionDialog_->exec();
}

void TConversionTableWindow::DefinitionOk() {
  const int category = CurrentCategory();
  if (category < 0) return;
  const int a = DefinitionDialog_->UnitABox()->currentIndex(), b = DefinitionDialog_->UnitBBox()->currentIndex();
  const std::string forward = DefinitionDialog_->ForwardEdit()->text().toStdString();
  const std::string backward = DefinitionDialog_->BackwardEdit()->text().toStdString();
  const bool editing = EditingRow_;
  const int row = CurrentRow_ - 1;
  // A finding about the directions names the row, the new one when adding.
  const TUnitCategory& shown = Table_.Category(category);
  const int rowNumber = editing ? CurrentRow_ : static_cast<int>(shown.Definitions.size()) + 1;
  if (!Check_->Check(a, b, forward, backward, RowName(shown.Name, rowNumber))) return;  // the dialog stays open
  Change(
      [=](TConversionTable& t) {
        return editing ? t.EditDefinition(category, row, a, b, forward, backward)
                       : t.AddDefinition(category, a, b, forward, backward);
      },
      [this, editing, category](bool done) {
        if (!done) return;
        if (!editing) CurrentRow_ = static_cast<int>(Table_.Category(category).Definitions.size());
        ShowCategory();
        Locked();
        DefinitionDialog_->Close();
      });
}

void TConversionTableWindow::EditCell(int row, int column, const QString& text) {
  const int category = CurrentCategory();
  if (category < 0 || category >= Table_.CategoryCount() || Running_ || (column != 3 && column != 4) || row < 1 ||
      row > static_cast<int>(Table_.Category(category).Definitions.size()))
    return;
  const TConversionDefinition& d = Table_.Category(category).Definitions[static_cast<std::size_t>(row - 1)];
  const std::string forward = column == 3 ? text.toStdString() : d.Forward;
  const std::string backward = column == 4 ? text.toStdString() : d.Backward;
  const int a = d.UnitA, b = d.UnitB;
  // Refused as the dialog refuses it; the cell shows the table's text again.
  if (!Check_->Check(a, b, forward, backward)) return;
  CurrentRow_ = row;
  Change([=](TConversionTable& t) { return t.EditDefinition(category, row - 1, a, b, forward, backward); },
         [this](bool done) {
           if (!done) return;
           ShowCategory();
           Locked();
         });
}

void TConversionTableWindow::DeleteDefinitions() {
  if (CurrentCategory() >= 0 && !Running_) DeleteDialog_->exec();
}

void TConversionTableWindow::DeleteOk() {
  const int category = CurrentCategory();
  if (category < 0) return;
  const std::string from = DeleteDialog_->FromEdit()->text().toStdString();
  const std::string count = DeleteDialog_->CountEdit()->text().toStdString();
  Change([=](TConversionTable& t) { return t.DeleteDefinitions(category, from, count); },
         [this](bool done) {
           if (!done) return;
           ShowCategory();
           Locked();
           DeleteDialog_->Close();
         });
}

// ---- categories and units ----------------------------------------------------------------------------

void TConversionTableWindow::OpenNameDialog(TNameMode mode, const QString& caption, const QString& name) {
  if (Running_) return;
  NameMode_ = mode;
  NameDialog_->SetFields(caption, name);
  NameDialog_->exec();
}

void TConversionTableWindow::AddCategory() { OpenNameDialog(TNameMode::AddCategory, "Add unit category", ""); }

void TConversionTableWindow::EditCategory() {
  if (CurrentCategory() >= 0) OpenNameDialog(TNameMode::EditCategory, "Edit unit category", Categories_->currentText());
}

void TConversionTableWindow::NameOk() {
  const std::string name = NameDialog_->NameEdit()->text().toStdString();
  const int category = CurrentCategory();
  std::function<bool(TConversionTable&)> change;
  bool unitAction = false;
  std::vector<TRenamed> renamed;  // Conv's ids follow the new name
  const std::string trimmed(Trim(name));
  const std::string categoryName = Categories_->currentText().toStdString();
  switch (NameMode_) {
    case TNameMode::AddCategory: change = [name](TConversionTable& t) { return t.AddCategory(name); }; break;
    case TNameMode::EditCategory:
      change = [name, category](TConversionTable& t) { return t.RenameCategory(category, name); };
      renamed.push_back({"", categoryName, trimmed});
      break;
    case TNameMode::AddUnit:
      change = [name, category](TConversionTable& t) { return t.AddUnit(category, name); };
      unitAction = true;
      break;
    case TNameMode::EditUnit: {
      const int unit = DefinitionDialog_->UnitABox()->currentIndex();
      if (unit < 0) {  // no unit chosen: nothing to rename
        NameDialog_->Close();
        return;
      }
      change = [name, category, unit](TConversionTable& t) { return t.RenameUnit(category, unit, name); };
      unitAction = true;
      if (!trimmed.empty())
        renamed.push_back({categoryName, DefinitionDialog_->UnitABox()->currentText().toStdString(), trimmed});
      break;
    }
  }
  Change(
      std::move(change),
      [this, unitAction, trimmed](bool done) {
        if (!done) return;
        if (unitAction) {
          ShowCategory();  // the rows show the new names; the unit boxes choose nothing
        } else {
          // The category added or renamed is the one shown.
          CurrentRow_ = 0;
          ShowCategories(Table_.FindCategory(trimmed));
        }
        Locked();
        NameDialog_->Close();
      },
      TChangeKind::Edit, std::move(renamed));
}

void TConversionTableWindow::DeleteCategory() {
  const int category = CurrentCategory();
  if (category < 0) return;
  Change([category](TConversionTable& t) { return t.DeleteCategory(category); },
         [this](bool done) {
           if (!done) return;
           CurrentRow_ = 0;
           ShowCategories(-1);
           Locked();
         });
}

// ---- keys and layout ----------------------------------------------------------------------------

bool TConversionTableWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid_->viewport()) {
    if (event->type() == QEvent::Resize) FitColumns();
    // The row under the mouse is the one the dialogs work on.
    if (event->type() == QEvent::MouseMove) {
      const int row = Grid_->rowAt(static_cast<QMouseEvent*>(event)->position().toPoint().y());
      if (row >= 0) CurrentRow_ = row + 1;
    }
  }
  if (watched == Grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      // The Enter that ends a cell's editing reaches the grid too: it only
      // ends the editing.
      if (QWidget* editor = QApplication::focusWidget(); editor != nullptr && Grid_->isAncestorOf(editor)) return false;
      EditRow(Grid_->currentIndex().row() + 1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Column 0 is 40 pixels; the other four share the rest.
void TConversionTableWindow::FitColumns() {
  Grid_->setColumnWidth(0, 40);
  const int a = std::max(60, (Grid_->viewport()->width() - 40) / 12 * 3 - 9);
  for (int c = 1; c <= 4; ++c) Grid_->setColumnWidth(c, a);
}

}  // namespace helmax
