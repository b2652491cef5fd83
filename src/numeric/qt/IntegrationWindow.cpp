#include "IntegrationWindow.h"

#include "Calculator.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace helmax {

TIntegrationWindow::TIntegrationWindow(TToolHost host, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Host_(std::move(host)),
      Tool_(std::make_unique<TIntegration>()),
      Function_(new QPlainTextEdit),
      FromLabel_(new QLabel("From:")),
      ToLabel_(new QLabel("To:")),
      From_(new QLineEdit),
      To_(new QLineEdit),
      Integrate_(new QPushButton("&Integrate")),
      Result_(new QLineEdit) {
  setObjectName("integrationWindow");
  setWindowTitle(TIntegration::kCaption);
  // Esc stops a running integration; otherwise it closes the window.
  OnEscape(this, [this] {
    if (Running()) Host_.StopCalculation();
    else close();
  });
  Function_->setObjectName("function");
  Function_->setTabChangesFocus(true);
  From_->setObjectName("from");
  To_->setObjectName("to");
  Result_->setObjectName("result");
  Result_->setReadOnly(true);
  Integrate_->setObjectName("integrate");
  Integrate_->setDefault(true);
  FromLabel_->setBuddy(From_);
  ToLabel_->setBuddy(To_);

  auto* menus = new QMenuBar;
  QMenu* view = menus->addMenu("&View");
  AddStayOnTop(view, this);
  QMenu* window = menus->addMenu("&Window");
  QAction* main = window->addAction("&Main");
  main->setObjectName("main");
  connect(main, &QAction::triggered, this, [this] {
    if (Host_.ShowMain) Host_.ShowMain();
  });

  auto* group = new QGroupBox("Function to Integrate:");
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(Function_);
  auto* resultLabel = new QLabel("Result:");
  resultLabel->setBuddy(Result_);
  auto* status = new QStatusBar;
  status->setSizeGripEnabled(false);
  Indicator_ = new TProgressDisplay(
      status, {}, [this] { Host_.StopCalculation(); }, this);
  Evaluations_ = new QLabel;
  Evaluations_->setObjectName("evaluations");
  status->addWidget(Evaluations_);
  EvaluationsTimer_ = new QTimer(this);
  EvaluationsTimer_->setInterval(100);
  connect(EvaluationsTimer_, &QTimer::timeout, this, &TIntegrationWindow::ShowEvaluations);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menus);
  layout->addWidget(group, 1);
  layout->addWidget(FromLabel_);
  layout->addWidget(From_);
  layout->addWidget(ToLabel_);
  layout->addWidget(To_);
  layout->addWidget(Integrate_, 0, Qt::AlignHCenter);
  layout->addWidget(resultLabel);
  layout->addWidget(Result_);
  layout->addWidget(status);
  resize(420, 400);

  // Any edit makes the result out of date.
  connect(Function_, &QPlainTextEdit::textChanged, Result_, &QLineEdit::clear);
  connect(From_, &QLineEdit::textEdited, Result_, &QLineEdit::clear);
  connect(To_, &QLineEdit::textEdited, Result_, &QLineEdit::clear);
  connect(From_, &QLineEdit::returnPressed, this, &TIntegrationWindow::Integrate);
  connect(To_, &QLineEdit::returnPressed, this, &TIntegrationWindow::Integrate);
  connect(Integrate_, &QPushButton::clicked, this, &TIntegrationWindow::Integrate);
}

void TIntegrationWindow::ShowWindow() { ShowInFront(this); }

void TIntegrationWindow::Integrate() {
  if (Running()) return;
  struct TRun {
    std::string Function, From, To;
    std::uint64_t Number = 0;
    TIntegrationOutcome Outcome;
  };
  auto run = std::make_shared<TRun>();
  Host_.RunForTool(
      [this, run] {
        Result_->clear();
        FromLabel_->setText("From:");
        ToLabel_->setText("To:");
        run->Function = Function_->toPlainText().toStdString();
        run->From = From_->text().toStdString();
        run->To = To_->text().toStdString();
        run->Number = ++RunNumber_;
        Integrate_->setEnabled(false);
        Indicator_->Start(&Progress_);
        Evaluations_->clear();
        EvaluationsTimer_->start();
      },
      [this, run] {
        // The limits' values show while the integral is computed.
        const TLimitsKnown limitsKnown = [this, number = run->Number](const std::string& from, const std::string& to) {
          QMetaObject::invokeMethod(
              this,
              [this, number, from = QString::fromStdString(from), to = QString::fromStdString(to)] {
                if (number != RunNumber_ || !Running()) return;
                FromLabel_->setText(from);
                ToLabel_->setText(to);
              },
              Qt::QueuedConnection);
        };
        run->Outcome =
            Tool_->Integrate(*Host_.Calc, run->Function, run->From, run->To, &Progress_, std::nullopt, limitsKnown);
      },
      [this, run] {
        Indicator_->Stop();
        EvaluationsTimer_->stop();
        ShowEvaluations();
        Integrate_->setEnabled(true);
        const TIntegrationOutcome& out = run->Outcome;
        FromLabel_->setText(QString::fromStdString(out.FromLabel));
        ToLabel_->setText(QString::fromStdString(out.ToLabel));
        const QSignalBlocker quiet(Result_);
        Result_->setText(QString::fromStdString(out.Result));
        Result_->setCursorPosition(0);
        for (const std::string& m : out.Messages) Host_.Ui->ShowMessage(m);
      });
}

void TIntegrationWindow::ShowEvaluations() {
  const std::int64_t n = Tool_->Evaluations();
  Evaluations_->setText(n > 0 ? QString("Evaluations: %1").arg(n) : QString());
}

void TIntegrationWindow::SetFontPixels(int pixels) {
  for (QWidget* w : std::initializer_list<QWidget*>{Function_, From_, To_, Result_}) {
    QFont f = w->font();
    f.setPixelSize(pixels);
    w->setFont(f);
  }
}

}  // namespace helmax
