#include "EquivalenceWindow.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <chrono>

#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

constexpr int kMinimumPane = 50;

}  // namespace

TEquivalenceWindow::TEquivalenceWindow(TUserInterface& ui, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Core_(ui),
      First_(new QPlainTextEdit),
      Second_(new QPlainTextEdit),
      Splitter_(new QSplitter(Qt::Vertical)) {
  setObjectName("equivalenceWindow");
  setWindowTitle("Are expressions equivalent?");
  CloseOnEscape(this);
  First_->setObjectName("firstExpression");
  Second_->setObjectName("secondExpression");
  for (QPlainTextEdit* pane : {First_, Second_}) pane->setTabChangesFocus(true);

  auto* menus = new QMenuBar;
  Test_ = menus->addAction("&Test");
  Test_->setObjectName("test");
  connect(Test_, &QAction::triggered, this, &TEquivalenceWindow::Test);

  Splitter_->addWidget(Group("First expression", First_, kMinimumPane));
  Splitter_->addWidget(Group("Second expression", Second_, kMinimumPane));
  Splitter_->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 4);
  layout->setMenuBar(menus);
  layout->addWidget(Splitter_);
  resize(520, 360);
}

void TEquivalenceWindow::SetFontPixels(int pixels) {
  for (QPlainTextEdit* pane : {First_, Second_}) SetFontSize(pane, pixels);
}

void TEquivalenceWindow::Test() {
  // Fresh draws at every Test.
  const auto seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  Core_.Test(First_->toPlainText().toStdString(), Second_->toPlainText().toStdString(), seed);
}

void TEquivalenceWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  First_->setFocus(Qt::OtherFocusReason);
}

}  // namespace helmax
