#include "UnitConversionWindow.h"
#include "FixedTexts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ConversionTable.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

const char* const kExpressionCaption = texts::kExpressionLabel;

}  // namespace

TUnitConversionWindow::TUnitConversionWindow(TCalculator& calc, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Calc_(calc),
      Tool_(std::make_unique<TUnitConversion>(calc, calc.Conversions())),
      Expression_(new QPlainTextEdit),
      Value_(new QPlainTextEdit),
      Category_(new QComboBox),
      From_(new QComboBox),
      To_(new QComboBox),
      Calculate_(new QPushButton("&Calculate")),
      Check_(new QPushButton("C&heck conversion")),
      Define_(new QPushButton("&Define conversion")),
      Status_(new QStatusBar),
      Result_(new QLabel) {
  setObjectName("conversionWindow");
  setWindowTitle(TUnitConversion::kCaption);
  // Esc stops a running check or calculation; otherwise it closes.
  OnEscape(this, [this] {
    if (Running_) {
      if (StopCalculation) StopCalculation();
    } else {
      close();
    }
  });
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
  Result_->setObjectName("result");
  Result_->setWordWrap(true);
  Result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  valueGroup->layout()->addWidget(Result_);
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
    if (Filling_) return;
    RememberChoices();
    CategoryChosen();
    RememberChoices();
    ConvertAsTyped();
  });
  for (QComboBox* unit : {From_, To_})
    connect(unit, &QComboBox::currentIndexChanged, this, [this] {
      if (Filling_) return;
      RememberChoices();
      ClearValue();
      ConvertAsTyped();
    });
  // A value shown belongs to the expression it was calculated from; the
  // new text is converted at once.
  connect(Expression_, &QPlainTextEdit::textChanged, this, [this] {
    ExpressionGroup_->setTitle(kExpressionCaption);
    ClearValue();
    ConvertAsTyped();
  });
  ShowState();
}

TUnitConversionWindow::~TUnitConversionWindow() = default;

void TUnitConversionWindow::ShowWindow() { ShowInFront(this); }

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
        if (ConvertAgain_) ConvertAsTyped();
      });
}

void TUnitConversionWindow::ShowState() {
  const bool ready = Calc_.Conversions().PathsValid();
  Check_->setEnabled(!ready && !Running_);
  Calculate_->setEnabled(ready && !Running_);
  for (QComboBox* box : {Category_, From_, To_}) box->setEnabled(ready);
}

void TUnitConversionWindow::RememberChoices() {
  ChosenCategory_ = Category_->currentText();
  ChosenFrom_ = From_->currentText();
  ChosenTo_ = To_->currentText();
}

void TUnitConversionWindow::SelectByName(QComboBox* box, const QString& name) {
  const int at = name.isEmpty() ? -1 : box->findText(name, Qt::MatchFixedString);
  box->setCurrentIndex(at >= 0 ? at : (box->count() > 0 ? 0 : -1));
}

// The category chosen last stays chosen while the table still has it.
void TUnitConversionWindow::FillCategories() {
  const QSignalBlocker quiet(Category_);
  Category_->clear();
  for (const TUnitCategory& c : Calc_.Conversions().Categories()) Category_->addItem(QString::fromStdString(c.Name));
  Category_->setCurrentIndex(ChosenCategory_.isEmpty() ? -1
                                                       : Category_->findText(ChosenCategory_, Qt::MatchFixedString));
}

void TUnitConversionWindow::CheckConversions() {
  if (Running_) return;
  // Asked for: the category box gets the focus afterwards; by itself (on
  // opening, after a change) the focus stays where the user is.
  const bool asked = sender() == Check_;
  auto ok = std::make_shared<bool>(false);
  Run(
      {}, [this, ok] { *ok = Calc_.Conversions().Check(); },
      [this, ok, asked] {
        FillCategories();
        if (!*ok) return;
        if (Category_->currentIndex() < 0 && Category_->count() > 0) {
          const QSignalBlocker quiet(Category_);
          Category_->setCurrentIndex(0);
        }
        CategoryChosen(true);
        if (asked) Category_->setFocus(Qt::OtherFocusReason);
        else if (focusWidget() == nullptr || !focusWidget()->isEnabled()) Expression_->setFocus(Qt::OtherFocusReason);
        ConvertAgain_ = true;  // what was typed meanwhile, or before the change
      });
}

// keepUnits: after a change of the table, the units chosen before stay
// chosen where the category still has them; otherwise the first units.
void TUnitConversionWindow::CategoryChosen(bool keepUnits) {
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
    SelectByName(From_, keepUnits ? ChosenFrom_ : QString());
    SelectByName(To_, keepUnits ? ChosenTo_ : QString());
  }
  Filling_ = false;
}

void TUnitConversionWindow::TableChanged() {
  FillCategories();
  if (Calc_.Conversions().PathsValid() && Category_->currentIndex() < 0 && Category_->count() > 0) {
    const QSignalBlocker quiet(Category_);
    Category_->setCurrentIndex(0);
  }
  CategoryChosen(true);
  ShowState();
  // A change is checked at once (its findings shown as the check shows
  // them), so that the conversions and Conv go on working.
  if (Locked()) CheckConversions();
  else ConvertAsTyped();
}

void TUnitConversionWindow::ConvertAsTyped() {
  // A check or calculation under way would stop for this one: it waits.
  if (Running_) {
    ConvertAgain_ = true;
    return;
  }
  ConvertAgain_ = false;
  if (Expression_->toPlainText().trimmed().isEmpty()) {
    Result_->clear();
    return;
  }
  if (!Calc_.Conversions().PathsValid()) {
    Result_->setText(TConversionTable::kLockedMessage);
    return;
  }
  // One waits at most: it reads the boxes when its turn comes.
  if (ConversionQueued_) return;
  ConversionQueued_ = true;
  struct TRequest {
    std::string Expression;
    int Category = -1, From = -1, To = -1;
    TLiveConversion Outcome;
  };
  auto request = std::make_shared<TRequest>();
  const TRunForTool run = RunForTool ? RunForTool : [](auto before, auto during, auto after) {
    before();
    during();
    after();
  };
  run(
      [this, request] {
        ConversionQueued_ = false;
        request->Expression = Expression_->toPlainText().toStdString();
        request->Category = Category_->currentIndex();
        request->From = From_->currentIndex();
        request->To = To_->currentIndex();
      },
      [this, request] {
        request->Outcome = Tool_->Convert(request->Expression, request->Category, request->From, request->To);
      },
      [this, request] {
        // A later one is on its way, or the text was changed for a
        // calculation: this one is out of date.
        if (ConversionQueued_ || Running_) return;
        const TLiveConversion& out = request->Outcome;
        ExpressionGroup_->setTitle(QString::fromStdString(out.Caption));
        Value_->setPlainText(QString::fromStdString(out.Value));
        QString shown = QString::fromStdString(out.Forward);
        if (!out.Backward.empty()) shown += "\n" + QString::fromStdString(out.Backward);
        if (!out.Error.empty()) shown += (shown.isEmpty() ? "" : "\n") + QString::fromStdString(out.Error);
        Result_->setText(shown);
      });
}

void TUnitConversionWindow::ClearValue() {
  Value_->clear();
  Result_->clear();
}

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
        // A calculation here starts with an empty results pane in the main
        // window.
        Calc_.ClearResults();
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
  Expression_->setFocus(Qt::OtherFocusReason);
  // Opening checks the table by itself.
  if (Locked() && !Running_) CheckConversions();
}

void TUnitConversionWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Coming back to the window shows whether the table was changed meanwhile.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) ShowState();
}

}  // namespace helmax
