#include "UnitGraphWindow.h"
#include "FixedTexts.h"

#include <QActionGroup>
#include <QBuffer>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "FileDialog.h"
#include "GraphPainter.h"
#include "HeapFigures.h"
#include "TextFile.h"
#include "UserInterface.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

namespace helmax {

namespace {

constexpr const char* kHelpText = texts::kClickOnVertexHint;

}  // namespace

// ---- dialogs --------------------------------------------------------------------------------

TGraphEndsDialog::TGraphEndsDialog(QWidget* owner) : QDialog(owner), Begin_(new QComboBox), End_(new QComboBox) {
  setObjectName("graphEndsDialog");
  Begin_->setObjectName("begin");
  End_->setObjectName("end");
  auto* form = new QFormLayout;
  form->addRow("Begin vertex", Begin_);
  form->addRow("End vertex", End_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(OkCancelRow(this));
  resize(320, 120);
}

void TGraphEndsDialog::SetUnits(const std::vector<std::string>& units) {
  for (QComboBox* box : {Begin_, End_}) {
    box->clear();
    for (const std::string& u : units) box->addItem(QString::fromStdString(u));
    box->setCurrentIndex(-1);
  }
}

void TGraphEndsDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

TPathNumberDialog::TPathNumberDialog(QWidget* owner) : QDialog(owner), Number_(new QLineEdit) {
  setObjectName("pathNumberDialog");
  setWindowTitle(texts::kInsertPathNumer);
  Number_->setObjectName("pathNumber");
  auto* form = new QFormLayout;
  form->addRow("Path #", Number_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(OkCancelRow(this));
}

void TPathNumberDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Number_->setFocus();
  Number_->selectAll();
}

void TPathNumberDialog::accept() {
  if (!OnOk || OnOk()) QDialog::accept();
}

// ---- canvas -----------------------------------------------------------------------------------

TGraphCanvas::TGraphCanvas(const TUnitGraphView& view, QWidget* parent) : QWidget(parent), View_(view) {
  setObjectName("graphCanvas");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  setFocusPolicy(Qt::StrongFocus);
}

void TGraphCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintGraph(painter, rect(), View_.Picture());
}

void TGraphCanvas::mousePressEvent(QMouseEvent* event) {
  if (OnPress) OnPress(event);
}

void TGraphCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (OnMove) OnMove(event);
}

void TGraphCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (OnRelease) OnRelease(event);
}

// ---- the window -------------------------------------------------------------------------------

TUnitGraphWindow::TUnitGraphWindow(TUserInterface& ui, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Ui_(ui),
      Canvas_(new TGraphCanvas(View_, this)),
      Status_(new QStatusBar),
      Ends_(new TGraphEndsDialog(this)),
      PathDialog_(new TPathNumberDialog(this)) {
  setObjectName("graphWindow");
  setWindowTitle(TUnitGraphView::kDesignCaption);
  CloseOnEscape(this);
  auto* menus = new QMenuBar;
  BuildMenus(menus);
  Status_->setObjectName("graphStatus");
  Status_->setSizeGripEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menus);
  layout->addWidget(Canvas_, 1);
  layout->addWidget(Status_);
  resize(1100, 720);  // the built-in table's places, with their labels

  Canvas_->OnPress = [this](QMouseEvent* e) { Pressed(e); };
  Canvas_->OnMove = [this](QMouseEvent* e) { Moved(e); };
  Canvas_->OnRelease = [this](QMouseEvent* e) { Released(e); };
  Ends_->OnOk = [this] { return EndsChosen(); };
  // Cancel (or Esc) goes back to the plain graph.
  connect(Ends_, &QDialog::rejected, this, [this] { ShowView(TGraphView::Graph); });
  PathDialog_->OnOk = [this] { return PathNumberChosen(); };
}

void TUnitGraphWindow::BuildMenus(QWidget* menuBar) {
  auto* menus = static_cast<QMenuBar*>(menuBar);
  QMenu* view = menus->addMenu("&View");
  auto* views = new QActionGroup(this);
  const std::pair<const char*, const char*> items[] = {{"&Graph", "graphView"},
                                                       {"Minimal &Tree", "treeView"},
                                                       {"Shortest &Path", "pathView"},
                                                       {"Maximal &Flow", "flowView"}};
  for (int i = 0; i < 4; ++i) {
    Views_[i] = AddMenuAction(view, items[i].first, items[i].second);
    Views_[i]->setCheckable(true);
    views->addAction(Views_[i]);
    connect(Views_[i], &QAction::triggered, this, [this, i] { ShowView(static_cast<TGraphView>(i)); });
  }
  Views_[0]->setChecked(true);
  QMenu* options = menus->addMenu("&Options");
  AddMenuAction(options, "&Refresh", "refresh", this, &TUnitGraphWindow::LayOutAgain);
  Path_ = AddMenuAction(options, "&Path", "path");
  Path_->setEnabled(false);
  connect(Path_, &QAction::triggered, this, &TUnitGraphWindow::ChoosePathNumber);
  AddMenuAction(options, "&Save image as", "saveImage", this, [this] {
    if (const QString file = TFileDialog::SaveFileName(this, "Save image as", {},
                                                       "Bitmap File (*.bmp *.BMP);;PNG image (*.png *.PNG)", "bmp");
        !file.isEmpty())
      SaveImage(file);
  });
  QMenu* window = menus->addMenu("&Window");
  const std::pair<const char*, std::function<void()> TUnitGraphWindow::*> windows[] = {
      {"&Def conversions", &TUnitGraphWindow::OnShowTable},
      {"&Main", &TUnitGraphWindow::OnShowMain},
      {"&Conversion", &TUnitGraphWindow::OnShowConversion}};
  const char* names[] = {"defConversions", "main", "conversion"};
  for (int i = 0; i < 3; ++i) {
    const auto callback = windows[i].second;
    AddMenuAction(window, windows[i].first, names[i], this, [this, callback] {
      if (this->*callback) (this->*callback)();
    });
  }
  QAction* help = menus->addAction("&Help");
  help->setObjectName("help");
  connect(help, &QAction::triggered, this, [this] { Ui_.ShowMessage(kHelpText); });
}

QAction* TUnitGraphWindow::Action(const QString& objectName) const { return findChild<QAction*>(objectName); }

void TUnitGraphWindow::ShowWindow() {
  if (!Placed_) {
    Placed_ = true;
    CentreOnOwner(this, parentWidget());
  }
  ShowInFront(this);
}

bool TUnitGraphWindow::ShowCategory(const TGraphCategory* category) {
  std::string refusal;
  const bool shown = View_.ShowCategory(category, refusal);
  if (!refusal.empty()) Ui_.ShowMessage(refusal);
  setWindowTitle(QString::fromStdString(View_.Caption()));
  Ends_->SetUnits(View_.Category().Units);
  Refresh();
  return shown;
}

void TUnitGraphWindow::Refresh() {
  Path_->setEnabled(false);
  Path_->setText("&Path");
  Status_->clearMessage();
  View_.Refresh(Canvas_->width(), Canvas_->height());
  ShowViewChecks();
  Path_->setEnabled(View_.PathItemEnabled());
  Path_->setText(QString::fromStdString(View_.PathItemCaption()));
  Canvas_->update();
  Status_->showMessage(QString("Total allocated memory= %1 bytes").arg(TotalAllocatedBytes()));
}

void TUnitGraphWindow::ShowViewChecks() { Views_[static_cast<int>(View_.View())]->setChecked(true); }

void TUnitGraphWindow::ShowView(TGraphView view) {
  View_.SetView(view);
  ShowViewChecks();
  if (view == TGraphView::Graph || view == TGraphView::MinimalTree) {
    Refresh();
    return;
  }
  Ends_->setWindowTitle(view == TGraphView::ShortestPaths ? "SHORTEST PATH" : "MAXIMAL FLOW");
  Ends_->exec();
}

bool TUnitGraphWindow::EndsChosen() {
  const int begin = Ends_->BeginBox()->currentIndex(), end = Ends_->EndBox()->currentIndex();
  if (begin < 0 || end < 0) {
    Ui_.ShowMessage(texts::kPleaseEnterUnits);
    return false;
  }
  // A flow from a unit to itself is refused; the dialog stays open.
  std::string refusal;
  if (!View_.AcceptEnds(begin + 1, end + 1, refusal)) {
    Ui_.ShowMessage(refusal);
    return false;
  }
  Refresh();
  return true;
}

void TUnitGraphWindow::LayOutAgain() {
  View_.LayOutOnRings();
  Refresh();
}

void TUnitGraphWindow::ChoosePathNumber() {
  if (!View_.PathItemEnabled()) return;
  View_.RememberPath();
  PathDialog_->NumberEdit()->setText(QString::number(View_.CurrentPath()));
  PathDialog_->exec();
}

bool TUnitGraphWindow::PathNumberChosen() {
  const std::string text = PathDialog_->NumberEdit()->text().trimmed().toStdString();
  bool isNumber = false;
  const int number = PathDialog_->NumberEdit()->text().trimmed().toInt(&isNumber);
  if (!isNumber) {
    Ui_.ShowMessage("'" + text + "' is not a valid integer value");
    return false;
  }
  std::string refusal;
  if (!View_.ChoosePath(number, refusal)) {
    Ui_.ShowMessage(refusal);
    return false;
  }
  Path_->setText(QString::fromStdString(View_.PathItemCaption()));
  Canvas_->update();
  return true;
}

bool TUnitGraphWindow::SaveImage(const QString& fileName) {
  QImage image(Canvas_->size(), QImage::Format_RGB32);
  {
    QPainter painter(&image);
    PaintGraph(painter, image.rect(), View_.Picture());
  }
  std::string error;
  bool saved = false;
  if (fileName.endsWith(".png", Qt::CaseInsensitive)) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    saved = image.save(&buffer, "PNG");
    if (!saved) error = "Cannot save the image";
    else saved = WriteFileAtomic(fileName.toStdString(), std::string_view(bytes.constData(), bytes.size()), error);
  } else {
    saved = WriteBitmap4(fileName.toStdString(), ReduceTo16Colours(image), error);
  }
  if (!saved) Ui_.ShowMessage(error);
  return saved;
}

// ---- mouse ------------------------------------------------------------------------------------

void TUnitGraphWindow::Pressed(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  std::string status;
  if (View_.Press(p.x(), p.y(), status)) Canvas_->update();
  else if (!status.empty()) Status_->showMessage(QString::fromStdString(status));
}

void TUnitGraphWindow::Moved(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (View_.DraggedVertex() == 0 || !Canvas_->rect().contains(p)) return;
  View_.DragTo(p.x(), p.y());
  Canvas_->update();
}

void TUnitGraphWindow::Released(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || View_.DraggedVertex() == 0) return;
  const QPoint p = event->position().toPoint();
  const bool inside = Canvas_->rect().contains(p);
  if (inside) View_.DragTo(p.x(), p.y());
  int vertex = 0, x = 0, y = 0;
  if (View_.Release(inside, vertex, x, y) && OnVertexMoved)
    OnVertexMoved(View_.Category().Position - 1, vertex - 1, x, y);
  Canvas_->update();
}

// ---- keys and closing -------------------------------------------------------------------------------

void TUnitGraphWindow::closeEvent(QCloseEvent* event) {
  View_.Close();
  ShowViewChecks();
  Path_->setEnabled(false);
  Path_->setText("&Path");
  QWidget::closeEvent(event);
}

}  // namespace helmax
