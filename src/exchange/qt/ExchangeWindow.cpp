#include "ExchangeWindow.h"
#include "FixedTexts.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "Calculator.h"
#include "FileDialog.h"
#include "ProgramFolder.h"
#include "TextFile.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

// Both letter cases of each extension are listed: the dialogs compare
// them as written.
const char* const kOpenFilter = "Access files (*.mdb *.MDB);;Firebird files (*.fdb *.FDB)";
const char* const kFirebirdFilter = "Firebird files (*.fdb *.FDB)";
const char* const kListTitles[3] = {"Reference:", "From:", "To:"};
const char* const kColumnItems[3] = {"&Num Code", "&Char Code", "C&urr Name"};

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TExchangeWindow::TExchangeWindow(TToolHost host, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Host_(std::move(host)),
      Amount_(new QPlainTextEdit),
      Date_(new QPlainTextEdit),
      Results_(new QPlainTextEdit),
      Path_(new QLabel),
      Rates_(new QLabel),
      Calculate_(new QPushButton("&Calculate")),
      LatestQuote_(new QCheckBox("Latest quote on or before the date")) {
  setObjectName("exchangeWindow");
  setWindowTitle("Exchange");
  // Esc stops what runs; otherwise it keeps the amount in the history and
  // clears, and on an empty window it closes it.
  OnEscape(this, [this] {
    if (Running_) Host_.StopCalculation();
    else if (!Amount_->toPlainText().isEmpty() || !Results_->toPlainText().isEmpty()) KeepAmount();
    else close();
  });
  WorkerUi_ = std::make_unique<TGuiThreadUserInterface>(*Host_.Ui);
  Tool_ = std::make_unique<TExchange>(*WorkerUi_);
  HistoryWindow_ = new TExchangeHistoryWindow(History_, this);
  HistoryWindow_->OnChoose = [this](const std::string& text) {
    Amount_->setPlainText(Q(text));
    ShowWindow();
  };
  HistoryWindow_->OnShowMain = [this] {
    if (Host_.ShowMain) Host_.ShowMain();
  };
  HistoryWindow_->OnShowExchange = [this] { ShowWindow(); };
  UserDialog_ = new TFirebirdUserDialog(this);

  Amount_->setObjectName("amount");
  Date_->setObjectName("date");
  Results_->setObjectName("results");
  Results_->setReadOnly(true);
  Date_->setPlainText("Last");
  for (QPlainTextEdit* box : {Amount_, Date_, Results_}) {
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
  }
  // The quote lines and the definition are long: they wrap to stay in sight.
  Results_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Results_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Amount_->installEventFilter(this);
  AmountGroup_ = Group("Currency:", Amount_);
  DateGroup_ = Group("Exchange date:", Date_);
  ResultsGroup_ = Group(texts::kResultsLabel, Results_);
  const int line = QFontMetrics(Amount_->font()).lineSpacing();
  Amount_->setMinimumHeight(2 * line + 12);
  Date_->setMaximumHeight(2 * line + 12);
  Results_->setMinimumHeight(3 * line + 12);

  AmountPanel_ = new QWidget;
  auto* amountLayout = new QVBoxLayout(AmountPanel_);
  amountLayout->setContentsMargins(0, 0, 0, 0);
  amountLayout->addWidget(AmountGroup_, 1);
  amountLayout->addWidget(ResultsGroup_, 2);
  DatePanel_ = new QWidget;
  auto* dateLayout = new QVBoxLayout(DatePanel_);
  dateLayout->setContentsMargins(0, 0, 0, 0);
  dateLayout->addWidget(DateGroup_);
  // Each currency's newest quote not after the date, for dates without
  // quotes of their own; kept in the settings.
  LatestQuote_->setObjectName("latestQuote");
  LatestQuote_->setChecked(Host_.Calc->Settings().LatestQuote);
  connect(LatestQuote_, &QCheckBox::toggled, this, [this](bool on) { Host_.Calc->Settings().LatestQuote = on; });
  dateLayout->addWidget(LatestQuote_);
  dateLayout->addWidget(BuildList(0, kListTitles[0]), 1);
  auto* top = new QHBoxLayout;
  top->addWidget(AmountPanel_, 3);
  top->addWidget(DatePanel_, 2);

  ListsPanel_ = new QWidget;
  auto* lists = new QHBoxLayout(ListsPanel_);
  lists->setContentsMargins(0, 0, 0, 0);
  lists->addWidget(BuildList(1, kListTitles[1]));
  lists->addWidget(BuildList(2, kListTitles[2]));

  ButtonsPanel_ = new QWidget;
  auto* buttons = new QHBoxLayout(ButtonsPanel_);
  buttons->setContentsMargins(0, 0, 0, 0);
  auto* cancel = new QPushButton("C&ancel");
  cancel->setObjectName("cancel");
  Calculate_->setObjectName("calculate");
  Calculate_->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(Calculate_);
  buttons->addWidget(cancel);
  connect(Calculate_, &QPushButton::clicked, this, &TExchangeWindow::Calculate);
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);

  Status_ = new QStatusBar;
  Status_->setSizeGripEnabled(false);
  Path_->setObjectName("statusPath");
  Rates_->setObjectName("statusRates");
  // A long path gives way to the date of the rates.
  Path_->setMinimumWidth(1);
  Path_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  Status_->addWidget(Path_, 1);
  Rates_->setMinimumWidth(Rates_->fontMetrics().horizontalAdvance("Rates of 12.31.2008") + 8);
  Status_->addPermanentWidget(Rates_);

  auto* layout = new QVBoxLayout(this);
  BuildMenus(this);
  layout->addLayout(top, 1);
  layout->addWidget(ListsPanel_, 1);
  layout->addWidget(ButtonsPanel_);
  layout->addWidget(Status_);
  resize(640, 560);

  connect(Amount_, &QPlainTextEdit::textChanged, this, [this] {
    if (Quick_) RecomputeQuick();
  });
  UpdateProductTexts();
}

TExchangeWindow::~TExchangeWindow() = default;

QWidget* TExchangeWindow::BuildList(int list, const QString& title) {
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  static const char* const kNames[3] = {"reference", "from", "to"};
  auto* name = new QLineEdit;
  name->setObjectName(QString(kNames[list]) + "Name");
  name->setReadOnly(true);
  name->setFocusPolicy(Qt::NoFocus);
  auto* grid = new QTableView;
  grid->setObjectName(QString(kNames[list]) + "Grid");
  auto* model = new TCurrencyListModel(this);
  grid->setModel(model);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid, &QWidget::customContextMenuRequested, this,
          [this, list](const QPoint& at) { ShowColumnsMenu(list, at); });
  auto* label = new QLabel(title);
  label->setBuddy(grid);
  layout->addWidget(label);
  layout->addWidget(name);
  layout->addWidget(grid, 1);
  Grids_[list] = grid;
  Names_[list] = name;
  Models_[list] = model;
  connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, list] { ShowCurrentName(list); });
  ApplyColumns(list);
  return panel;
}

QAction* TExchangeWindow::Action(const QString& objectName) const { return findChild<QAction*>(objectName); }

void TExchangeWindow::BuildMenus(QWidget* holder) {
  auto* menus = new QMenuBar(holder);
  static_cast<QVBoxLayout*>(holder->layout())->setMenuBar(menus);
  QMenu* file = menus->addMenu("&File");
  AddMenuAction(file, "&Open...", "open", this, &TExchangeWindow::ChooseFileToOpen);

  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  connect(AddCheckableAction(view, "&Use Firebird file", "useFile"), &QAction::triggered, this,
          &TExchangeWindow::UseFile);
  connect(AddCheckableAction(view, "&Exchange rate", "exchangeRate"), &QAction::toggled, this,
          [this] { ResetResults(); });
  AddMenuAction(view, "&History", "history", this, [this] { HistoryWindow_->ShowWindow(); });
  AddMenuAction(view, "&Refresh data", "refreshData", this, &TExchangeWindow::OpenDatabase);
  QAction* errorMessage = AddCheckableAction(view, "Error &message", "errorMessage");
  errorMessage->setChecked(true);
  connect(errorMessage, &QAction::toggled, this, [this] {
    Results_->clear();
    if (Quick_) RecomputeQuick();
  });

  QMenu* window = menus->addMenu("&Window");
  QMenu* main = window->addMenu("&Main");
  auto* mainGroup = new QActionGroup(this);
  QAction* show = AddCheckableAction(main, "&Show", "showMain");
  QAction* hide = AddCheckableAction(main, "&Hide", "hideMain");
  mainGroup->addAction(show);
  mainGroup->addAction(hide);
  show->setChecked(true);
  connect(show, &QAction::triggered, this, [this] {
    if (OnSetMainVisible) OnSetMainVisible(true);
  });
  connect(hide, &QAction::triggered, this, [this] {
    if (OnSetMainVisible) OnSetMainVisible(false);
  });
  QMenu* appearance = window->addMenu("&Appearance");
  auto* appearanceGroup = new QActionGroup(this);
  QAction* quick = AddCheckableAction(appearance, "&Quick", "quick");
  QAction* full = AddCheckableAction(appearance, "&Full", "full");
  appearanceGroup->addAction(quick);
  appearanceGroup->addAction(full);
  full->setChecked(true);
  connect(quick, &QAction::triggered, this, [this] { SetQuick(true); });
  connect(full, &QAction::triggered, this, [this] { SetQuick(false); });
}

// ---- state shown ------------------------------------------------------------------

std::string& TExchangeWindow::ExchangeFileName() const { return Host_.Calc->Settings().ExchangeFileName; }

TRatesProduct TExchangeWindow::Product() const { return ProductOfFile(ExchangeFileName()); }

// The product of the exchange file names the menu item and the caption.
void TExchangeWindow::UpdateProductTexts() {
  const bool access = Product() == TRatesProduct::Access;
  Action("useFile")->setText(access ? "&Use Access file" : "&Use Firebird file");
  setWindowTitle(access ? "Exchange (Access)" : "Exchange (Firebird)");
}

void TExchangeWindow::ShowColumnsMenu(int list, const QPoint& at) {
  QMenu menu(this);
  for (int column = 0; column < 3; ++column) {
    QAction* a = menu.addAction(kColumnItems[column]);
    a->setCheckable(true);
    a->setChecked(Shown_[list][column]);
    connect(a, &QAction::toggled, this, [this, list, column](bool on) {
      Shown_[list][column] = on;
      ApplyColumns(list);
    });
  }
  menu.exec(Grids_[list]->viewport()->mapToGlobal(at));
}

void TExchangeWindow::ApplyColumns(int list) {
  for (int column = 0; column < 3; ++column) Grids_[list]->setColumnHidden(column, !Shown_[list][column]);
}

void TExchangeWindow::ShowCurrentName(int list) {
  const std::optional<TCurrency> c = Current(list);
  Names_[list]->setText(c ? Q(c->CurrName) : QString());
}

std::optional<TCurrency> TExchangeWindow::Current(int list) const {
  const int row = Grids_[list]->currentIndex().row();
  const std::vector<TCurrency>& all = Models_[list]->Currencies();
  if (row < 0 || row >= static_cast<int>(all.size())) return std::nullopt;
  return all[static_cast<std::size_t>(row)];
}

bool TExchangeWindow::Choose(int list, const QString& charCode) {
  const std::vector<TCurrency>& all = Models_[list]->Currencies();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (Q(all[i].CharCode) == charCode) {
      Grids_[list]->setCurrentIndex(Models_[list]->index(static_cast<int>(i), 2));
      return true;
    }
  return false;
}

void TExchangeWindow::ResetResults() {
  Results_->clear();
  AmountGroup_->setTitle(texts::kCurrencyPrefix);
  DateGroup_->setTitle(texts::kExchangeDatePrefix);
  if (!Quick_) ResultsGroup_->setTitle(texts::kResultsLabel);
}

// ---- database -----------------------------------------------------------------------

void TExchangeWindow::ShowWindow() {
  ShowInFront(this);
  if (ExchangeFileName().empty() && !DatabaseOpen_ && !SampleFile.isEmpty() && !SampleOffered_ && !Running_) {
    SampleOffered_ = true;
    if (Host_.Ui->AskYesNo("No exchange rates database is chosen. Open the sample database that comes with the "
                           "program?")) {
      ExchangeFileName() = SampleFile.toStdString();
      OpenDatabase();
    }
  }
  Amount_->setFocus();
}

void TExchangeWindow::OpenAtStart() {
  // A file the user opened before the window system ran this stays open.
  if (OpenAsked_) return;
  const std::string& file = ExchangeFileName();
  if (HasExtension(file, ".mdb") || HasExtension(file, ".fdb")) OpenDatabase();
}

void TExchangeWindow::OpenDatabase() {
  struct TRun {
    std::string File;
    TFirebirdLogin Login;
    TOpenOutcome Outcome;
  };
  auto run = std::make_shared<TRun>();
  OpenAsked_ = true;
  Host_.RunForTool(
      [this, run] {
        Running_ = true;
        if (Quick_) {
          Action("full")->setChecked(true);
          SetQuick(false);
        }
        run->File = ExchangeFileName();
        run->Login = {Host_.Calc->Settings().FirebirdUserName, Host_.Calc->Settings().FirebirdPassword};
        if (!run->File.empty()) Path_->setText(QString::fromUtf8("Opening\u2026"));
        Calculate_->setEnabled(false);
      },
      [this, run] { run->Outcome = Tool_->Open(run->File, run->Login); },
      [this, run] {
        Running_ = false;
        Calculate_->setEnabled(true);
        const TOpenOutcome& out = run->Outcome;
        if (!out.Opened && !run->File.empty()) {
          // A file that cannot be opened leaves the database in use as it
          // was, and it stays the exchange file.
          if (ExchangeFileName() == run->File) ExchangeFileName() = DatabaseOpen_ ? OpenFile_ : std::string();
          Path_->setText(DatabaseOpen_ ? Q(OpenFile_) : QString());
          UpdateProductTexts();
          return;
        }
        // Nothing of the former database or its last calculation stays in
        // sight.
        DatabaseOpen_ = out.Opened;
        OpenFile_ = out.Opened ? run->File : std::string();
        LastDate_.clear();
        LastReference_.clear();
        LastQuoteDays_.clear();
        ResetResults();
        Models_[0]->SetCurrencies(out.References);
        Models_[1]->SetCurrencies(out.Currencies);
        Models_[2]->SetCurrencies(out.Currencies);
        for (int list = 0; list < 3; ++list) {
          if (Models_[list]->rowCount() > 0) Grids_[list]->setCurrentIndex(Models_[list]->index(0, 2));
          ShowCurrentName(list);
        }
        Path_->setText(Q(OpenFile_));
        Path_->setToolTip(Q(OpenFile_));
        Rates_->setText(Q(out.RatesText));
        Action("useFile")->setChecked(out.Opened);
        UpdateProductTexts();
      });
}

void TExchangeWindow::OpenChosenFile(const QString& fileName) {
  const std::string name = fileName.toStdString();
  if (name.empty() || !FileExists(name)) return;
  if (!Host_.Ui->AskYesNo(texts::kAreYouSure)) return;
  SampleOffered_ = true;  // the user chose a file: no sample offered on top
  ExchangeFileName() = name;
  OpenDatabase();
  ShowWindow();
}

// The open dialog starts in the folder of the exchange file, else in that of
// the sample database, else in the program's.
static QString StartFolder(const std::string& current, const QString& sample) {
  if (!current.empty()) return QString::fromStdString(current);
  if (!sample.isEmpty()) return sample;
  const std::string exe = ExecutablePath();
  return QString::fromStdString(exe.substr(0, exe.find_last_of('/') + 1));
}

void TExchangeWindow::ChooseFileToOpen() {
  const QString file =
      TFileDialog::OpenFileName(this, "Open", StartFolder(ExchangeFileName(), SampleFile), kOpenFilter);
  if (!file.isEmpty()) OpenChosenFile(file);
}

// "&Use Access file" / "&Use Firebird file": its check mark tells whether
// the database is in use; unchecking closes it.
void TExchangeWindow::UseFile() {
  QAction* use = Action("useFile");
  if (DatabaseOpen_) {
    DatabaseOpen_ = false;
    use->setChecked(false);
    ExchangeFileName().clear();
    OpenFile_.clear();
    Host_.RunForTool(
        {}, [this] { Tool_->Close(); },
        [this] {
          for (int list = 0; list < 3; ++list) {
            Models_[list]->SetCurrencies({});
            Names_[list]->clear();
          }
          ResetResults();
          Path_->clear();
          Rates_->clear();
          UpdateProductTexts();
        });
    return;
  }
  use->setChecked(false);  // set again once a database is open
  if (Product() == TRatesProduct::Access) {
    ChooseFileToOpen();
    return;
  }
  TSettings& s = Host_.Calc->Settings();
  std::string user = s.FirebirdUserName, password = s.FirebirdPassword;
  if (!UserDialog_->Ask(user, password)) return;
  s.FirebirdUserName = user;
  s.FirebirdPassword = password;
  const QString file =
      TFileDialog::OpenFileName(this, "Open", StartFolder(ExchangeFileName(), SampleFile), kFirebirdFilter);
  if (!file.isEmpty()) OpenChosenFile(file);
}

// ---- calculation ------------------------------------------------------------------------

void TExchangeWindow::Calculate() {
  if (Running_) return;
  struct TRun {
    TExchangeRequest Request;
    TRatesProduct Product;
    TExchangeOutcome Outcome;
  };
  auto run = std::make_shared<TRun>();
  Host_.RunForTool(
      [this, run] {
        Running_ = true;
        ResetResults();
        run->Request = {Amount_->toPlainText().toStdString(),
                        Date_->toPlainText().toStdString(),
                        Current(0),
                        Current(1),
                        Current(2),
                        Action("exchangeRate")->isChecked(),
                        LatestQuote_->isChecked()};
        run->Product = Product();
        Calculate_->setEnabled(false);
      },
      [this, run] { run->Outcome = Tool_->Calculate(*Host_.Calc, run->Request, run->Product); },
      [this, run] {
        Running_ = false;
        Calculate_->setEnabled(true);
        AmountGroup_->setTitle(Q(run->Outcome.AmountCaption));
        DateGroup_->setTitle(Q(run->Outcome.DateCaption));
        if (!Quick_) ResultsGroup_->setTitle(Q(run->Outcome.ResultsCaption));
        LastDate_ = Tool_->DateText();
        LastReference_ = Tool_->ReferenceCode();
        LastQuoteDays_ = Tool_->QuoteDays();
        const QSignalBlocker quiet(Results_);
        Results_->setPlainText(Q(run->Outcome.Results));
      });
}

// The quick mode converts the amount at every change. Changes that come
// while a conversion waits are covered by it: it reads the amount when it
// starts.
void TExchangeWindow::RecomputeQuick() {
  if (QuickWaiting_) return;
  QuickWaiting_ = true;
  struct TRun {
    std::string Amount;
    bool ErrorMessages = true;
    TQuickOutcome Outcome;
  };
  auto run = std::make_shared<TRun>();
  Host_.RunForTool(
      [this, run] {
        QuickWaiting_ = false;
        run->Amount = Amount_->toPlainText().toStdString();
        run->ErrorMessages = Action("errorMessage")->isChecked();
        AmountGroup_->setTitle(texts::kCurrencyPrefix);
        Results_->clear();
      },
      [this, run] { run->Outcome = Tool_->Quick(*Host_.Calc, run->Amount, run->ErrorMessages); },
      [this, run] {
        AmountGroup_->setTitle(Q(run->Outcome.AmountCaption));
        Results_->setPlainText(Q(run->Outcome.Results));
      });
}

void TExchangeWindow::SetQuick(bool quick) {
  if (quick == Quick_) return;
  Quick_ = quick;
  for (QWidget* w : std::initializer_list<QWidget*>{DatePanel_, ListsPanel_, ButtonsPanel_, Status_})
    w->setVisible(!quick);
  if (quick) {
    FullSize_ = size();
    const QSize panel = AmountPanel_->size();
    layout()->activate();  // the hidden parts no longer hold the window's minimum size
    resize(panel.width() + 15, panel.height() + 75);
    const std::string days = LastQuoteDays_.empty() ? std::string() : " (" + LastQuoteDays_ + ")";
    ResultsGroup_->setTitle(Q("Date: " + LastDate_ + days + "   Ref: " + LastReference_));
    Action("quick")->setChecked(true);
  } else {
    if (FullSize_.isValid()) resize(FullSize_);
    ResultsGroup_->setTitle(texts::kResultsLabel);
    Action("full")->setChecked(true);
  }
}

void TExchangeWindow::KeepAmount() {
  const std::string amount = Amount_->toPlainText().toStdString();
  if (!amount.empty() && History_.Add(amount)) HistoryWindow_->Reload();
  {
    const QSignalBlocker quiet(Amount_);
    Amount_->clear();
  }
  Results_->clear();
  AmountGroup_->setTitle("Currency:");
}

// ---- keys and closing -----------------------------------------------------------------------

bool TExchangeWindow::eventFilter(QObject* watched, QEvent* event) {
  // A click into the amount box or entering it converts again in the quick
  // mode.
  if (watched == Amount_ && Quick_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress))
    RecomputeQuick();
  return QWidget::eventFilter(watched, event);
}

void TExchangeWindow::closeEvent(QCloseEvent* event) {
  if (OnSetMainVisible) OnSetMainVisible(true);
  Action("showMain")->setChecked(true);
  QWidget::closeEvent(event);
}

}  // namespace helmax
