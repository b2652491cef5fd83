#include "DerivativeWindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QVBoxLayout>

#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

constexpr int kMinimumDerivativeHeight = 50;

}  // namespace

TDerivativeWindow::TDerivativeWindow(QWidget* owner)
    : QWidget(owner, Qt::Window),
      Expression_(new QPlainTextEdit),
      Variable_(new QLineEdit("x")),
      Button_(new QPushButton("&Differentiate")),
      Copy_(new QPushButton("&Copy to expressions")),
      Derivative_(new QPlainTextEdit),
      Splitter_(new QSplitter(Qt::Vertical)) {
  setObjectName("derivativeWindow");
  setWindowTitle("Symbolic Differentiate");
  CloseOnEscape(this);
  Expression_->setObjectName("expression");
  Variable_->setObjectName("variable");
  Button_->setObjectName("differentiate");
  Copy_->setObjectName("copyToExpressions");
  Copy_->setEnabled(false);
  Derivative_->setObjectName("derivative");
  for (QPlainTextEdit* pane : {Expression_, Derivative_}) pane->setTabChangesFocus(true);

  auto* variableRow = new QGroupBox;
  auto* row = new QHBoxLayout(variableRow);
  row->setContentsMargins(4, 4, 4, 4);
  auto* label = new QLabel("Diff Variable:");
  label->setBuddy(Variable_);
  row->addWidget(label);
  row->addWidget(Variable_, 1);
  row->addWidget(Button_);
  row->addWidget(Copy_);

  auto* upper = new QWidget;
  auto* upperLayout = new QVBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->addWidget(Group("Mathematical expression", Expression_), 1);
  upperLayout->addWidget(variableRow);
  QGroupBox* lower = Group("Derivative", Derivative_);
  lower->setMinimumHeight(kMinimumDerivativeHeight);
  Splitter_->addWidget(upper);
  Splitter_->addWidget(lower);
  Splitter_->setChildrenCollapsible(false);
  Splitter_->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(Splitter_);
  resize(560, 420);
  Splitter_->setSizes({200, 220});

  connect(Button_, &QPushButton::clicked, this, &TDerivativeWindow::Differentiate);
  connect(Variable_, &QLineEdit::returnPressed, this, &TDerivativeWindow::Differentiate);
  // A derivative shown belongs to the expression and variable it was made of.
  connect(Expression_, &QPlainTextEdit::textChanged, Derivative_, &QPlainTextEdit::clear);
  connect(Variable_, &QLineEdit::textChanged, Derivative_, &QPlainTextEdit::clear);
  connect(Derivative_, &QPlainTextEdit::textChanged, this,
          [this] { Copy_->setEnabled(!Core_.Failed() && !Derivative_->toPlainText().trimmed().isEmpty()); });
  connect(Copy_, &QPushButton::clicked, this, [this] {
    const QString derivative = Derivative_->toPlainText().trimmed();
    if (OnCopyToExpressions && !derivative.isEmpty()) OnCopyToExpressions(derivative);
  });
}

void TDerivativeWindow::SetFontPixels(int pixels) {
  for (QWidget* w : std::initializer_list<QWidget*>{Expression_, Variable_, Derivative_}) SetFontSize(w, pixels);
}

void TDerivativeWindow::Differentiate() {
  Derivative_->clear();
  const std::string text =
      Core_.Differentiate(Expression_->toPlainText().toStdString(), Variable_->text().toStdString());
  Derivative_->setPlainText(QString::fromStdString(text));
}

void TDerivativeWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Expression_->setFocus(Qt::OtherFocusReason);
}

}  // namespace helmax
