#include "UnitConversionWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ConversionTable.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

const char* const kExpressionCaption = "Expression:";

QGroupBox* Group(const QString& title, QWidget* content) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(content);
  return box;
}

}  // namespace

TUnitConversionWindow::TUnitConversionWindow(TCalculator& calc, QWidget* owner)
    : QWidget(owner, Qt::Window), Calc_(calc), Tool_(std::make_unique<TUnitConversion>(calc)),
      Expression_(new QPlainTextEdit), Value_(new QPlainTextEdit), Category_(new QComboBox), From_(new QComboBox),
      To_(new QComboBox), Calculate_(new QPushButton("&Calculate")), Check_(new QPushButton("C&heck conversion")),
      Define_(new QPushButton("&Define conversion")), Status_(new QStatusBar) {
  setObjectName("conversionWindow");
  setWindowTitle(TUnitConversion::kCaption);
  Expression_->setObjectName("expression");
  Value_->setObjectName("value");
  Value_->setReadOnly(true);
  for (QPlainTextEdit* box : {Expression_, Value_}) box->setTabChangesFocus(true);
  Category_->setObjectName("category");
  From_->setObjectName("from");
  To_->setObjectName("to");
  Calculate_->setObjectName("calculate");
  Check_->setObjectName("check");
  Define_->setObjectName("define");

  auto* menus = new QMenuBar;
  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  QMenu* window = menus->addMenu("&Window");
  QAction* main = window->addAction("&Main");
  main->setObjectName("main");
  connect(main, &QAction::triggered, this, [this] {
    if (OnShowMain) OnShowMain();
  });

  ExpressionGroup_ = Group(kExpressionCaption, Expression_);
  QGroupBox* valueGroup = Group("Value:", Value_);
  auto* boxes = new QGridLayout;
  const std::pair<const char*, QComboBox*> rows[] = {{"Category:", Category_}, {"From:", From_}, {"To:", To_}};
  int row = 0;
  for (const auto& [caption, box] : rows) {
    auto* label = new QLabel(caption);
    label->setBuddy(box);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(16);
    boxes->addWidget(label, row, 0);
    boxes->addWidget(box, row++, 1);
  }
  boxes->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Calculate_);
  buttons->addWidget(Check_);
  buttons->addWidget(Define_);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menus);
  layout->addWidget(ExpressionGroup_, 2);
  layout->addWidget(valueGroup, 1);
  layout->addLayout(boxes);
  layout->addLayout(buttons);
  Status_->setObjectName("status");
  Status_->setSizeGripEnabled(false);
  layout->addWidget(Status_);
  resize(460, 420);

  connect(Check_, &QPushButton::clicked, this, &TUnitConversionWindow::CheckConversions);
  connect(Calculate_, &QPushButton::clicked, this, &TUnitConversionWindow::Calculate);
  connect(Define_, &QPushButton::clicked, this, [this] {
    if (OnShowTable) OnShowTable();
  });
  connect(Category_, &QComboBox::currentIndexChanged, this, [this] {
    if (!Filling_) CategoryChosen();
  });
  for (QComboBox* unit : {From_, To_})
    connect(unit, &QComboBox::currentIndexChanged, this, [this] {
      if (!Filling_) ClearValue();
    });
  // A value shown belongs to the expression it was calculated from.
  connect(Expression_, &QPlainTextEdit::textChanged, this, [this] {
    ExpressionGroup_->setTitle(kExpressionCaption);
    ClearValue();
  });
  ShowState();
}

TUnitConversionWindow::~TUnitConversionWindow() = default;

void TUnitConversionWindow::ShowWindow() {
  show();
  raise();
  activateWindow();
}

void TUnitConversionWindow::ShowInitialValue(const QString& value, const QString& statusText) {
  Expression_->setPlainText(value);
  Status_->showMessage(statusText);
  ShowWindow();
}

void TUnitConversionWindow::Run(std::function<void()> prepare, std::function<void()> work,
                                std::function<void()> finish) {
  const TRunForTool run = RunForTool ? RunForTool : [](auto before, auto during, auto after) {
    before();
    during();
    after();
  };
  run(
      [this, prepare = std::move(prepare)] {
        Running_ = true;
        for (QWidget* w : std::initializer_list<QWidget*>{Calculate_, Check_}) w->setEnabled(false);
        if (prepare) prepare();
      },
      std::move(work),
      [this, finish = std::move(finish)] {
        Running_ = false;
        ShowState();
        if (finish) finish();
      });
}

void TUnitConversionWindow::ShowState() {
  const bool ready = Calc_.Conversions().PathsValid();
  Check_->setEnabled(!ready && !Running_);
  Calculate_->setEnabled(ready && !Running_);
  for (QComboBox* box : {Category_, From_, To_}) box->setEnabled(ready);
}

void TUnitConversionWindow::FillCategories() {
  const QSignalBlocker quiet(Category_);
  Category_->clear();
  for (const TUnitCategory& c : Calc_.Conversions().Categories()) Category_->addItem(QString::fromStdString(c.Name));
  Category_->setCurrentIndex(-1);
}

void TUnitConversionWindow::CheckConversions() {
  if (Running_) return;
  auto ok = std::make_shared<bool>(false);
  Run({}, [this, ok] { *ok = Calc_.Conversions().Check(); },
      [this, ok] {
        FillCategories();
        if (!*ok) return;
        Category_->setCurrentIndex(Category_->count() > 0 ? 0 : -1);
        CategoryChosen();
        Category_->setFocus(Qt::OtherFocusReason);
      });
}

void TUnitConversionWindow::CategoryChosen() {
  ClearValue();
  Filling_ = true;
  From_->clear();
  To_->clear();
  const int category = Category_->currentIndex();
  const TConversionTable& table = Calc_.Conversions();
  if (category >= 0 && category < table.CategoryCount() && !table.Category(category).Definitions.empty()) {
    for (const TUnit& u : table.Category(category).Units) {
      From_->addItem(QString::fromStdString(u.Name));
      To_->addItem(QString::fromStdString(u.Name));
    }
    From_->setCurrentIndex(0);
    To_->setCurrentIndex(0);
  }
  Filling_ = false;
}

void TUnitConversionWindow::TableChanged() {
  FillCategories();
  if (Calc_.Conversions().PathsValid() && Category_->count() > 0) {
    const QSignalBlocker quiet(Category_);
    Category_->setCurrentIndex(0);
  }
  CategoryChosen();
  ShowState();
}

void TUnitConversionWindow::ClearValue() { Value_->clear(); }

void TUnitConversionWindow::Calculate() {
  if (Running_) return;
  struct TRequest {
    std::string Expression;
    int Category = -1, From = -1, To = -1;
    TConversionOutcome Outcome;
  };
  auto request = std::make_shared<TRequest>();
  Run(
      [this, request] {
        ExpressionGroup_->setTitle(kExpressionCaption);
        ClearValue();
        request->Expression = Expression_->toPlainText().toStdString();
        request->Category = Category_->currentIndex();
        request->From = From_->currentIndex();
        request->To = To_->currentIndex();
      },
      [this, request] {
        request->Outcome = Tool_->Calculate(request->Expression, request->Category, request->From, request->To);
      },
      [this, request] {
        ExpressionGroup_->setTitle(QString::fromStdString(request->Outcome.Caption));
        Value_->setPlainText(QString::fromStdString(request->Outcome.Value));
      });
}

void TUnitConversionWindow::Lock() {
  Run({}, [this] { Calc_.Conversions().Lock(); }, {});
}

void TUnitConversionWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowState();
  if (Locked()) Check_->setFocus(Qt::OtherFocusReason);
  else Expression_->setFocus(Qt::OtherFocusReason);
}

void TUnitConversionWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Coming back to the window shows whether the table was changed meanwhile.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) ShowState();
}

void TUnitConversionWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    // Esc stops a running check or calculation; otherwise it closes.
    if (Running_) {
      if (StopCalculation) StopCalculation();
    } else {
      close();
    }
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace helmax
