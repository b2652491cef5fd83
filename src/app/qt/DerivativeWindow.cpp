#include "DerivativeWindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace helmax {

namespace {

constexpr int kMinimumDerivativeHeight = 50;

QGroupBox* Group(const QString& title, QWidget* content) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(content);
  return box;
}

}  // namespace

TDerivativeWindow::TDerivativeWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), Expression_(new QPlainTextEdit), Variable_(new QLineEdit("x")),
      Button_(new QPushButton("&Differentiate")), Derivative_(new QPlainTextEdit), Splitter_(new QSplitter(Qt::Vertical)) {
  setObjectName("derivativeWindow");
  setWindowTitle("Symbolic Differentiate");
  Expression_->setObjectName("expression");
  Variable_->setObjectName("variable");
  Button_->setObjectName("differentiate");
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

void TDerivativeWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) close();
  else QWidget::keyPressEvent(event);
}

}  // namespace helmax
