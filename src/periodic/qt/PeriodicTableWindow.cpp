#include "PeriodicTableWindow.h"

#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

#include "ElementWindow.h"
#include "FileDialog.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

// The grid is this much narrower than the window: half of it on each side.
constexpr int kWindowMargin = 40;
// The cell size the window opens with, at 96 dots per inch: large enough for
// the number and the weight to read well. It grows with the desktop's font
// scaling.
constexpr int kDefaultCellSize = 52;
// A pause this long ends a typed text.
constexpr int kTypingPauseMs = 1000;
const char* const kFileFilter = "Periodic table files (*.pte *.PTE);;Text files (*.txt *.TXT);;All files (*)";

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QColor ElementClassColor(TElementClass elementClass) {
  switch (elementClass) {
    case TElementClass::Nonmetal: return QColor(255, 255, 163);
    case TElementClass::AlkalineMetal: return QColor(226, 197, 225);
    case TElementClass::AlkalineEarthMetal: return QColor(0, 194, 240);
    case TElementClass::TransitionMetal: return QColor(180, 180, 212);
    case TElementClass::Lanthanoid: return QColor(0, 102, 0);
    case TElementClass::Actinoid: return QColor(45, 45, 132);
    case TElementClass::OtherMetal: return QColor(169, 205, 225);
    case TElementClass::Metalloid: return QColor(0, 180, 176);
    case TElementClass::Halogen: return QColor(255, 204, 159);
    case TElementClass::NobleGas: return Qt::white;
  }
  return Qt::white;
}

QColor ElementSymbolColor(TElementClass elementClass) {
  return (elementClass == TElementClass::Lanthanoid || elementClass == TElementClass::Actinoid) ? Qt::white : Qt::black;
}

// ---- the grid ------------------------------------------------------------------------------

TElementGrid::TElementGrid(const TPeriodicTable& table, QWidget* parent) : QWidget(parent), Table_(table) {
  setObjectName("elementGrid");
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  TypingPause_.setSingleShot(true);
  TypingPause_.setInterval(kTypingPauseMs);
  connect(&TypingPause_, &QTimer::timeout, this, &TElementGrid::EndTyping);
  SetCellSize(Cell_);
}

void TElementGrid::SetCellSize(int cellSize) {
  Cell_ = std::max(1, cellSize);
  QFont f = font();
  f.setPointSize(std::max(1, static_cast<int>(std::lround(Cell_ / 2.5))));
  setFont(f);
  setFixedSize(Cell_ * GridColumns, Cell_ * GridRows);
  update();
}

QRect TElementGrid::CellRect(int row, int column) const { return QRect(column * Cell_, row * Cell_, Cell_, Cell_); }

bool TElementGrid::CellAt(const QPoint& at, int& row, int& column) const {
  if (at.x() < 0 || at.y() < 0) return false;
  row = at.y() / Cell_;
  column = at.x() / Cell_;
  return row < GridRows && column < GridColumns;
}

void TElementGrid::SetCurrentCell(int row, int column) {
  Row_ = std::clamp(row, 0, GridRows - 1);
  Column_ = std::clamp(column, 0, GridColumns - 1);
  update();
}

void TElementGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  for (int row = 0; row < GridRows; ++row)
    for (int column = 0; column < GridColumns; ++column) {
      const QRect cell = CellRect(row, column);
      if (const TElement* e = Table_.ElementAt(row, column)) {
        // Inset by 2 pixels at the top and the left, outlined in black.
        const QRect box(cell.left() + 2, cell.top() + 2, cell.width() - 2, cell.height() - 2);
        painter.fillRect(box, ElementClassColor(e->Class));
        painter.setPen(Qt::black);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(ElementSymbolColor(e->Class));
        DrawElement(painter, box, *e);
      } else if (const std::string label = GroupLabel(row, column); !label.empty()) {
        painter.setPen(Qt::black);
        painter.drawText(cell, Qt::AlignCenter, Text(label));
      }
    }
  // The current cell, for the keyboard.
  if (hasFocus()) {
    const int width = std::max(2, Cell_ / 16);
    QPen pen(palette().color(QPalette::Highlight), width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int inset = 2 + width / 2;
    painter.drawRect(CellRect(Row_, Column_).adjusted(inset, inset, -(width + 1) / 2, -(width + 1) / 2));
  }
}

int TElementGrid::Padding() const { return std::max(1, static_cast<int>(std::lround(Cell_ / 20.0))); }

QFont TElementGrid::SmallFont() const {
  QFont small = font();
  small.setPixelSize(std::max(5, static_cast<int>(std::lround(Cell_ * 0.22))));
  return small;
}

QString TElementGrid::WeightShown(const TElement& element) const {
  const QFontMetrics metrics(SmallFont());
  // The element's box is 2 pixels smaller than its cell.
  const int width = Cell_ - 2 - 2 * Padding();
  QString weight;
  for (const std::string& text : CellWeightTexts(Table_.Value(element, 1))) {
    weight = Text(text);
    if (metrics.horizontalAdvance(weight) <= width) return weight;
  }
  return metrics.elidedText(weight, Qt::ElideRight, width);
}

// The number at the top left and the atomic weight at the bottom, in a
// small font; the symbol between them, in the grid's font or smaller where
// that would not leave them room.
void TElementGrid::DrawElement(QPainter& painter, const QRect& box, const TElement& element) const {
  const int pad = Padding();
  const QFont small = SmallFont();
  const QFontMetrics smallMetrics(small);
  const int smallHeight = smallMetrics.capHeight();
  const int numberBaseline = box.top() + pad + smallHeight;
  const int weightBaseline = box.top() + box.height() - pad - 1;

  painter.setFont(small);
  painter.drawText(QPoint(box.left() + pad + 1, numberBaseline), QString::number(element.Number));
  const QString weight = WeightShown(element);
  painter.drawText(QPoint(box.left() + (box.width() - smallMetrics.horizontalAdvance(weight) + 1) / 2, weightBaseline),
                   weight);

  // Between the two lines, a gap of pad above and below.
  const int bandTop = numberBaseline + pad;
  const int bandHeight = std::max(1, weightBaseline - smallHeight - pad - bandTop);
  QFont symbolFont = font();
  QFontMetrics metrics(symbolFont);
  const int tall = metrics.capHeight() + metrics.descent();
  if (tall > bandHeight) {
    symbolFont.setPixelSize(std::max(5, QFontInfo(symbolFont).pixelSize() * bandHeight / tall));
    metrics = QFontMetrics(symbolFont);
  }
  const QString symbol = Text(element.Symbol);
  const int baseline = bandTop + (bandHeight - metrics.capHeight() - metrics.descent()) / 2 + metrics.capHeight();
  painter.setFont(symbolFont);
  painter.drawText(QPoint(box.left() + (box.width() - metrics.horizontalAdvance(symbol) + 1) / 2, baseline), symbol);
  painter.setFont(font());
}

bool TElementGrid::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    int row = 0, column = 0;
    const TElement* e = CellAt(help->pos(), row, column) ? Table_.ElementAt(row, column) : nullptr;
    if (e != nullptr) QToolTip::showText(help->globalPos(), Text(e->Name), this, CellRect(row, column));
    else QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
}

void TElementGrid::mousePressEvent(QMouseEvent* event) {
  EndTyping();
  int row = 0, column = 0;
  if (event->button() == Qt::LeftButton && CellAt(event->position().toPoint(), row, column))
    SetCurrentCell(row, column);
  QWidget::mousePressEvent(event);
}

void TElementGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  int row = 0, column = 0;
  if (event->button() == Qt::LeftButton && CellAt(event->position().toPoint(), row, column)) {
    SetCurrentCell(row, column);
    emit CellChosen(row, column);
    return;
  }
  QWidget::mouseDoubleClickEvent(event);
}

void TElementGrid::SetTyped(const QString& typed) {
  Typed_ = typed;
  if (Typed_.isEmpty()) {
    TypingPause_.stop();
    emit TypedChanged(Typed_, false);
    return;
  }
  TypingPause_.start();
  const TElement* e = Table_.FindTyped(Typed_.toStdString());
  if (e != nullptr) SetCurrentCell(e->Row, e->Column);
  emit TypedChanged(Typed_, e != nullptr);
}

void TElementGrid::EndTyping() {
  if (!Typed_.isEmpty() || TypingPause_.isActive()) SetTyped(QString());
}

void TElementGrid::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  const QString text = event->text();
  if (!(event->modifiers() & commands) && text.size() == 1 && text[0].isLetterOrNumber() && text[0].unicode() < 128) {
    SetTyped(Typed_ + text);
    return;
  }
  if (!Typed_.isEmpty() && event->key() == Qt::Key_Backspace) {
    SetTyped(Typed_.chopped(1));
    return;
  }
  if (!Typed_.isEmpty() && event->key() == Qt::Key_Escape) {
    EndTyping();
    return;
  }
  EndTyping();
  switch (event->key()) {
    case Qt::Key_Left: SetCurrentCell(Row_, Column_ - 1); break;
    case Qt::Key_Right: SetCurrentCell(Row_, Column_ + 1); break;
    case Qt::Key_Up: SetCurrentCell(Row_ - 1, Column_); break;
    case Qt::Key_Down: SetCurrentCell(Row_ + 1, Column_); break;
    case Qt::Key_Home: SetCurrentCell(Row_, 0); break;
    case Qt::Key_End: SetCurrentCell(Row_, GridColumns - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit CellChosen(Row_, Column_); break;
    default: QWidget::keyPressEvent(event); return;
  }
}

void TElementGrid::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void TElementGrid::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

// ---- the window ----------------------------------------------------------------------------

TPeriodicTableWindow::TPeriodicTableWindow(TPeriodicTable& table, TElementWindow& elementWindow,
                                           std::string defaultFile, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Table_(table),
      Elements_(elementWindow),
      DefaultFile_(std::move(defaultFile)),
      Area_(new QWidget),
      Grid_(new TElementGrid(table)),
      Status_(new QStatusBar),
      Typed_(new QLabel) {
  setObjectName("periodicTableWindow");
  setWindowTitle("Periodic Table of the Elements");
  CloseOnEscape(this);

  auto* menus = new QMenuBar;
  QMenu* file = menus->addMenu("&File");
  QAction* open = file->addAction("&Open PTE");
  open->setObjectName("openPte");
  connect(open, &QAction::triggered, this, &TPeriodicTableWindow::OpenFile);
  QAction* restore = file->addAction("&Def PTE");
  restore->setObjectName("defaultPte");
  connect(restore, &QAction::triggered, this, &TPeriodicTableWindow::RestoreDefaultFile);
  QMenu* window = menus->addMenu("&Window");
  QAction* main = window->addAction("&Main");
  main->setObjectName("main");
  connect(main, &QAction::triggered, this, [this] {
    if (OnShowMain) OnShowMain();
  });
  QAction* element = window->addAction("&Element");
  element->setObjectName("element");
  connect(element, &QAction::triggered, this, &TPeriodicTableWindow::ShowElementWindow);

  // The grid is placed by hand (resizeEvent): its size follows the window's
  // width, and a layout would make that width a minimum.
  Grid_->setParent(Area_);
  Status_->setObjectName("status");
  Typed_->setObjectName("typed");
  Status_->addPermanentWidget(Typed_);
  connect(Grid_, &TElementGrid::TypedChanged, this, [this](const QString& typed, bool found) {
    Typed_->setText(typed.isEmpty() ? QString() : found ? "Find: " + typed : "Find: " + typed + " (no element)");
  });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menus);
  layout->addWidget(Area_, 1);
  layout->addWidget(Status_);
  connect(Grid_, &TElementGrid::CellChosen, this, &TPeriodicTableWindow::SelectCell);
  const int cell = static_cast<int>(std::lround(kDefaultCellSize * logicalDpiY() / 96.0));
  resize(GridColumns * cell + kWindowMargin, GridRows * cell + 3 * kWindowMargin);
  ShowFileState();
}

void TPeriodicTableWindow::ShowWindow() {
  ShowInFront(this);
  Grid_->setFocus(Qt::OtherFocusReason);
}

void TPeriodicTableWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int cell = static_cast<int>(std::lround((width() - kWindowMargin) / 18.0));
  Grid_->SetCellSize(cell);
  Grid_->move(kWindowMargin / 2, kWindowMargin / 4);
  // The window is never too low for its 10 rows.
  Area_->setMinimumHeight(Grid_->height() + kWindowMargin / 2);
}

void TPeriodicTableWindow::ShowFileState() { Status_->showMessage(Text(Table_.FilePath())); }

void TPeriodicTableWindow::CloseElementWindow() {
  if (Elements_.isVisible()) Elements_.close();
}

void TPeriodicTableWindow::SelectCell(int row, int column) {
  Grid_->SetCurrentCell(row, column);
  const TElement* e = Table_.ElementAt(row, column);
  if (e == nullptr) {
    CloseElementWindow();
    return;
  }
  Elements_.ShowElement(*e);
  if (!Elements_.isVisible()) {
    if (!ElementPlaced_) {
      ElementPlaced_ = true;
      const QRect frame = frameGeometry();
      const QRect beside(frame.right() + 1, frame.top(), Elements_.width(), Elements_.height());
      Elements_.move(ClampToScreen(beside).topLeft());
    }
    Elements_.show();
  } else if (Elements_.StayOnTop()) {
    ShowInFront(&Elements_);
  }
}

void TPeriodicTableWindow::ShowElementWindow() {
  if (Elements_.Element() == nullptr) {
    SelectCell(Grid_->CurrentRow(), Grid_->CurrentColumn());
    if (Elements_.Element() == nullptr) return;
  }
  // The table may have read another file since.
  Elements_.ShowElement(*Elements_.Element());
  ShowInFront(&Elements_);
}

void TPeriodicTableWindow::OpenFile() {
  const QString start = Table_.FilePath().empty() ? QString() : Text(Table_.FilePath());
  const QString file = TFileDialog::OpenFileName(this, "Open", start, kFileFilter);
  if (!file.isEmpty()) OpenFileNamed(file);
}

void TPeriodicTableWindow::OpenFileNamed(const QString& fileName) {
  CloseElementWindow();
  Table_.ReadFile(fileName.toStdString());
  ShowFileState();
  Grid_->update();
}

void TPeriodicTableWindow::RestoreDefaultFile() {
  if (!Table_.RestoreDefaultFile(DefaultFile_)) return;
  CloseElementWindow();
  ShowFileState();
  Grid_->update();
}

void TPeriodicTableWindow::showEvent(QShowEvent* event) {
  if (!Placed_) {
    Placed_ = true;
    CentreOnOwner(this, parentWidget());
  }
  QWidget::showEvent(event);
}

}  // namespace helmax
