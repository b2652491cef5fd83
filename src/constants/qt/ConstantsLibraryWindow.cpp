#include "ConstantsLibraryWindow.h"
#include "DialogButtons.h"
#include "FileDialog.h"
#include "FixedTexts.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

namespace helmax {

namespace {

// Both cases of each extension.
const char* const kLibraryFilter = "Conversion files (*.con *.CON);;Text files (*.txt *.TXT);;All files (*)";

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- grid -----------------------------------------------------------------------------------

int TLibraryCategoryModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || Category_ < 0 || Category_ >= Library_.CategoryCount()) return 0;
  return static_cast<int>(Library_.Category(Category_).Constants.size());
}

int TLibraryCategoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant TLibraryCategoryModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  const TLibraryConstant& k = Library_.Category(Category_).Constants[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case 0: return index.row() + 1;
    case 1: return Text(k.Name);
    case 2: return Text(k.Value);
    default: return Text(k.Description);
  }
}

QVariant TLibraryCategoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 3) return {};
  static const char* const titles[] = {"#", "Name", "Value", "Description"};
  return titles[section];
}

void TLibraryCategoryModel::ShowCategory(int category) {
  beginResetModel();
  Category_ = category;
  endResetModel();
}

// ---- dialogs ----------------------------------------------------------------------------------

TLibraryConstantDialog::TLibraryConstantDialog(QWidget* owner)
    : QDialog(owner), Name_(new QLineEdit), Value_(new QLineEdit), Description_(new QLineEdit) {
  setObjectName("libraryConstantDialog");
  Name_->setObjectName("Name");
  Value_->setObjectName("Value");
  Description_->setObjectName("Description");
  auto* form = new QFormLayout;
  form->addRow("Name", Name_);
  form->addRow("Value", Value_);
  form->addRow("Descript.", Description_);
  QDialogButtonBox* buttons = OkCancelBox(this);
  Ok_ = buttons->button(QDialogButtonBox::Ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  resize(480, 150);
}

void TLibraryConstantDialog::SetFields(const QString& caption, const QString& name, const QString& value,
                                       const QString& description) {
  setWindowTitle(caption);
  Name_->setText(name);
  Value_->setText(value);
  Description_->setText(description);
}

void TLibraryConstantDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Ok_->setFocus();
}

void TLibraryConstantDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

void TDeleteLibraryConstantsDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

void TConstantCategoryDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

// ---- the window -------------------------------------------------------------------------------

TConstantsLibraryWindow::TConstantsLibraryWindow(TConstantsLibrary& library, TConstantList& constants, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Library_(library),
      Constants_(constants),
      Model_(new TLibraryCategoryModel(library, this)),
      Categories_(new QComboBox),
      Search_(new QComboBox),
      AddToConstants_(new QPushButton("&Add to Constants")),
      Grid_(new QTableView),
      Status_(new QStatusBar),
      ConstantDialog_(new TLibraryConstantDialog(this)),
      DeleteDialog_(new TDeleteLibraryConstantsDialog(this)),
      CategoryDialog_(new TConstantCategoryDialog(this)) {
  setObjectName("constantsLibraryWindow");
  setWindowTitle("Constants definition table");
  CloseOnEscape(this);
  auto* menus = new QMenuBar;
  BuildMenus(menus);

  Categories_->setObjectName("categoryBox");
  Categories_->setMinimumContentsLength(16);
  Categories_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  connect(Categories_, &QComboBox::currentIndexChanged, this, [this] {
    if (!Filling_) ShowCategory();
  });
  // The search box takes a typed name too, case ignored.
  Search_->setObjectName("constantSearch");
  Search_->setEditable(true);
  Search_->setInsertPolicy(QComboBox::NoInsert);
  Search_->setMinimumContentsLength(20);
  Search_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Search_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
  Search_->completer()->setCompletionMode(QCompleter::PopupCompletion);
  connect(Search_, &QComboBox::activated, this, [this](int index) {
    if (!Filling_) ChooseConstant(Search_->itemText(index));
  });
  connect(Search_->lineEdit(), &QLineEdit::returnPressed, this, [this] { ChooseConstant(Search_->currentText()); });
  AddToConstants_->setObjectName("addToConstants");
  connect(AddToConstants_, &QPushButton::clicked, this, &TConstantsLibraryWindow::AddToConstants);

  auto* categoryLabel = new QLabel("Ca&tegory");
  categoryLabel->setBuddy(Categories_);
  auto* searchLabel = new QLabel("C&onstant");
  searchLabel->setBuddy(Search_);
  auto* top = new QHBoxLayout;
  top->setContentsMargins(6, 6, 6, 0);
  top->addWidget(categoryLabel);
  top->addWidget(Categories_, 1);
  top->addSpacing(12);
  top->addWidget(searchLabel);
  top->addWidget(Search_, 1);
  top->addWidget(AddToConstants_);

  Grid_->setObjectName("libraryGrid");
  Grid_->setModel(Model_);
  Grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid_->verticalHeader()->hide();
  Grid_->setToolTip(texts::kDoubleClickForEdit);
  Grid_->installEventFilter(this);
  Grid_->viewport()->installEventFilter(this);
  connect(Grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { EditRow(i.row()); });
  // The row the user picks is the one Add to Constants takes.
  connect(Grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
    if (Filling_ || !i.isValid()) return;
    Filling_ = true;
    Search_->setCurrentIndex(i.row());
    Filling_ = false;
  });

  Status_->setSizeGripEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menus);
  layout->addLayout(top);
  layout->addWidget(Grid_, 1);
  layout->addWidget(Status_);
  resize(720, 420);

  ConstantDialog_->OnOk = [this] { return ConstantDialogOk(); };
  DeleteDialog_->OnOk = [this] { return DeleteDialogOk(); };
  CategoryDialog_->OnOk = [this] { return CategoryDialogOk(); };
  ShowCategories(true);
}

void TConstantsLibraryWindow::BuildMenus(QMenuBar* menus) {
  QMenu* file = menus->addMenu("&File");
  AddMenuAction(file, "&New const", "newLibrary", this, &TConstantsLibraryWindow::NewLibrary);
  AddMenuAction(file, "&Open const", "openLibrary", this, &TConstantsLibraryWindow::OpenLibrary);
  Save_ = AddMenuAction(file, "&Save const", "saveLibrary", this, &TConstantsLibraryWindow::SaveLibrary);
  AddMenuAction(file, "Save &As const...", "saveLibraryAs", this, &TConstantsLibraryWindow::SaveLibraryAs);
  AddMenuAction(file, "&Default const", "defaultLibrary", this, &TConstantsLibraryWindow::RestoreDefaultLibrary);
  QMenu* edit = menus->addMenu("&Edit");
  AddMenuAction(edit, "&Add const", "addConstant", this, &TConstantsLibraryWindow::AddConstant);
  AddMenuAction(edit, "&Delete const", "deleteConstants", this, &TConstantsLibraryWindow::DeleteConstants);
  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  QMenu* category = menus->addMenu("&Category");
  AddMenuAction(category, "&Add category", "addCategory", this, &TConstantsLibraryWindow::AddCategory);
  AddMenuAction(category, "&Edit category", "editCategory", this, &TConstantsLibraryWindow::EditCategory);
  AddMenuAction(category, "&Delete category", "deleteCategory", this, &TConstantsLibraryWindow::DeleteCategory);
  QMenu* window = menus->addMenu("&Window");
  QAction* main = window->addAction("&Main");
  main->setObjectName("main");
  connect(main, &QAction::triggered, this, [this] {
    if (OnShowMain) OnShowMain();
  });
  QAction* constants = window->addAction("&Constants");
  constants->setObjectName("constants");
  connect(constants, &QAction::triggered, this, [this] {
    if (OnShowConstants) OnShowConstants();
  });
  // What needs a category or a valid file is offered only then.
  connect(edit, &QMenu::aboutToShow, this, [this, edit] {
    for (QAction* a : edit->actions()) a->setEnabled(CurrentCategory() >= 0);
  });
  connect(category, &QMenu::aboutToShow, this, [this] {
    findChild<QAction*>("editCategory")->setEnabled(CurrentCategory() >= 0);
    findChild<QAction*>("deleteCategory")->setEnabled(CurrentCategory() >= 0);
  });
}

void TConstantsLibraryWindow::LoadLibrary(const std::string& settingsPath) {
  Library_.Load(settingsPath);
  ShowCategories(true);
}

void TConstantsLibraryWindow::ShowLibrary() { ShowInFront(this); }

// ---- showing ------------------------------------------------------------------------------------

void TConstantsLibraryWindow::ShowCategories(bool selectFirst) {
  Filling_ = true;
  Categories_->clear();
  for (const TConstantCategory& c : Library_.Categories()) Categories_->addItem(Text(c.Name));
  Categories_->setCurrentIndex(selectFirst && Library_.CategoryCount() > 0 ? 0 : -1);
  Filling_ = false;
  ShowCategory();
  ShowFileState();
}

void TConstantsLibraryWindow::ShowCategory() {
  const int category = CurrentCategory();
  Filling_ = true;
  Model_->ShowCategory(category);
  Search_->clear();
  if (category >= 0)
    for (const TLibraryConstant& k : Library_.Category(category).Constants) Search_->addItem(Text(k.Name));
  Search_->setCurrentIndex(-1);
  Search_->clearEditText();
  Filling_ = false;
  FitColumns();
}

void TConstantsLibraryWindow::ShowFileState() {
  Status_->showMessage(Text(Library_.FilePath()));
  Save_->setEnabled(Library_.FileValid());
}

void TConstantsLibraryWindow::SelectCategory(const QString& name) {
  Categories_->setCurrentIndex(Library_.FindCategory(name.toStdString()));
}

void TConstantsLibraryWindow::ChooseConstant(const QString& name) {
  const int row = Library_.FindConstant(CurrentCategory(), name.trimmed().toStdString());
  if (row < 0) return;
  Filling_ = true;
  Search_->setCurrentIndex(row);
  Filling_ = false;
  Grid_->selectRow(row);
  Grid_->scrollTo(Model_->index(row, 1));
}

// ---- file menu ---------------------------------------------------------------------------------

QString TConstantsLibraryWindow::StartFolder() const {
  const std::string& path = Library_.FilePath().empty() ? Library_.DefaultFile() : Library_.FilePath();
  return QFileInfo(Text(path)).absolutePath();
}

void TConstantsLibraryWindow::NewLibrary() {
  if (Library_.New()) ShowCategories(false);
}

void TConstantsLibraryWindow::OpenLibrary() {
  setWindowTitle("Constant definition table");
  const QString file = TFileDialog::OpenFileName(this, "Open", StartFolder(), kLibraryFilter);
  if (!file.isEmpty()) OpenLibraryFile(file);
}

void TConstantsLibraryWindow::OpenLibraryFile(const QString& fileName) {
  if (Library_.Open(fileName.toStdString())) ShowCategories(true);
  ShowFileState();
}

void TConstantsLibraryWindow::SaveLibrary() {
  Library_.Save();
  ShowFileState();
}

QString TConstantsLibraryWindow::ChooseSaveFile() {
  return TFileDialog::SaveFileName(this, "Save As", StartFolder(), kLibraryFilter, "con");
}

void TConstantsLibraryWindow::SaveLibraryAs() {
  const QString file = ChooseSaveFile();
  if (!file.isEmpty()) SaveLibraryAsFile(file);
}

bool TConstantsLibraryWindow::SaveLibraryAsFile(const QString& fileName) {
  const bool saved = Library_.SaveAs(fileName.toStdString());
  ShowFileState();
  return saved;
}

void TConstantsLibraryWindow::RestoreDefaultLibrary() {
  if (Library_.RestoreDefault()) ShowCategories(true);
  ShowFileState();
}

bool TConstantsLibraryWindow::MayExit() {
  const bool mayExit = Library_.MayExit([this] {
    ShowLibrary();
    return ChooseSaveFile().toStdString();
  });
  ShowFileState();
  return mayExit;
}

// ---- constants -----------------------------------------------------------------------------------

void TConstantsLibraryWindow::AddConstant() {
  if (CurrentCategory() < 0) return;
  EditedRow_ = -1;
  ConstantDialog_->SetFields("Add constant", "", "", "");
  ConstantDialog_->exec();
}

void TConstantsLibraryWindow::EditRow(int row) {
  const int category = CurrentCategory();
  if (category < 0 || row < 0 || row >= Model_->rowCount()) return;
  const TLibraryConstant& k = Library_.Category(category).Constants[static_cast<std::size_t>(row)];
  EditedRow_ = row;
  ConstantDialog_->SetFields("Edit constant", Text(k.Name), Text(k.Value), Text(k.Description));
  Grid_->selectRow(row);
  ConstantDialog_->exec();
}

bool TConstantsLibraryWindow::ConstantDialogOk() {
  Search_->setCurrentIndex(-1);
  Search_->clearEditText();
  const int category = CurrentCategory();
  if (category < 0) return false;
  const std::string name = ConstantDialog_->NameEdit()->text().toStdString();
  const std::string value = ConstantDialog_->ValueEdit()->text().toStdString();
  const std::string description = ConstantDialog_->DescriptionEdit()->text().toStdString();
  const bool done = EditedRow_ < 0 ? Library_.AddConstant(category, name, value, description)
                                   : Library_.EditConstant(category, EditedRow_, name, value, description);
  if (!done) return false;
  ShowCategory();
  ChooseConstant(ConstantDialog_->NameEdit()->text());
  return true;
}

void TConstantsLibraryWindow::DeleteConstants() {
  if (CurrentCategory() >= 0) DeleteDialog_->exec();
}

bool TConstantsLibraryWindow::DeleteDialogOk() {
  if (!Library_.DeleteConstants(CurrentCategory(), DeleteDialog_->FromEdit()->text().toStdString(),
                                DeleteDialog_->CountEdit()->text().toStdString()))
    return false;
  ShowCategory();
  return true;
}

void TConstantsLibraryWindow::AddToConstants() {
  if (BeforeCoreAccess) BeforeCoreAccess();
  if (Library_.AddToConstantList(CurrentCategory(), Search_->currentText().toStdString(), Constants_) &&
      OnConstantAdded)
    OnConstantAdded();
}

// ---- categories ----------------------------------------------------------------------------------

void TConstantsLibraryWindow::AddCategory() {
  EditingCategory_ = false;
  CategoryDialog_->SetFields("Add constant category", "");
  CategoryDialog_->exec();
}

void TConstantsLibraryWindow::EditCategory() {
  if (CurrentCategory() < 0) return;
  EditingCategory_ = true;
  CategoryDialog_->SetFields("Edit constant category", Categories_->currentText());
  CategoryDialog_->exec();
}

bool TConstantsLibraryWindow::CategoryDialogOk() {
  const std::string name = CategoryDialog_->NameEdit()->text().toStdString();
  const bool done = EditingCategory_ ? Library_.RenameCategory(CurrentCategory(), name) : Library_.AddCategory(name);
  if (!done) return false;
  ShowCategories(false);
  return true;
}

void TConstantsLibraryWindow::DeleteCategory() {
  if (CurrentCategory() >= 0 && Library_.DeleteCategory(CurrentCategory())) ShowCategories(false);
}

// ---- keys and layout -------------------------------------------------------------------------------

bool TConstantsLibraryWindow::eventFilter(QObject* watched, QEvent* event) {
  // The viewport narrows when the scroll bar appears, after the window's
  // own resize.
  if (watched == Grid_->viewport() && event->type() == QEvent::Resize) FitColumns();
  if (watched == Grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      EditRow(Grid_->currentIndex().row());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Column 0 is 40 pixels; the others share the rest 4:2:2.
void TConstantsLibraryWindow::FitColumns() {
  Grid_->setColumnWidth(0, 40);
  const int rest = std::max(80, Grid_->viewport()->width() - 40);
  const int parts[3] = {4, 2, 2};
  for (int c = 1; c <= 3; ++c) Grid_->setColumnWidth(c, rest * parts[c - 1] / 8);
}

}  // namespace helmax
