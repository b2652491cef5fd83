#include "LinearSystemWindow.h"
#include "Calculator.h"
#include "FileDialog.h"
#include "FixedTexts.h"
#include "WindowKit.h"
#include "WindowPlacement.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace helmax {
namespace {

// Both cases of each extension.
const QString kFilter = QString::fromUtf8(texts::kSystemOfLinearEquatinsHeading) +
                        " files (*.sle *.SLE);;Text files (*.txt *.TXT);;All files (*)";
constexpr int kMinimumPane = 50;

}  // namespace

TLinearSystemWindow::TLinearSystemWindow(TToolHost host, QWidget* owner)
    : QWidget(owner, Qt::Window),
      Host_(std::move(host)),
      System_(std::make_unique<TLinearSystem>()),
      Variables_(new QPlainTextEdit(TLinearSystem::kDefaultVariables)),
      Equations_(new QPlainTextEdit(TLinearSystem::kDefaultEquations)),
      Results_(new QPlainTextEdit),
      Splitter_(new QSplitter(Qt::Vertical)) {
  setObjectName("linearSystemWindow");
  setWindowTitle(TLinearSystem::kCaption);
  OnEscape(this, [this] {
    if (Running()) Host_.StopCalculation();
    else close();
  });
  Variables_->setObjectName("variables");
  Equations_->setObjectName("equations");
  Results_->setObjectName("results");
  Results_->setReadOnly(true);
  for (QPlainTextEdit* pane : {Variables_, Equations_, Results_}) {
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setTabChangesFocus(true);
  }
  auto* menus = new QMenuBar;
  BuildMenus(menus);
  Splitter_->setChildrenCollapsible(false);
  Splitter_->addWidget(Group("Variables name", Variables_, kMinimumPane));
  Splitter_->addWidget(Group("System of linear equations", Equations_, kMinimumPane));
  Splitter_->addWidget(Group("Results", Results_, kMinimumPane));
  Splitter_->setStretchFactor(2, 1);
  auto* status = new QStatusBar;
  status->setSizeGripEnabled(false);
  Indicator_ = new TProgressDisplay(
      status, {}, [this] { Host_.StopCalculation(); }, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menus);
  layout->addWidget(Splitter_, 1);
  layout->addWidget(status);
  resize(720, 560);
  Splitter_->setSizes({70, 170, 320});
}

void TLinearSystemWindow::BuildMenus(QMenuBar* menus) {
  QMenu* file = menus->addMenu("&File");
  AddMenuAction(file, "&Open", "open", this, &TLinearSystemWindow::Open);
  Save_ = AddMenuAction(file, "&Save", "save");
  Save_->setEnabled(false);
  connect(Save_, &QAction::triggered, this, &TLinearSystemWindow::Save);
  AddMenuAction(file, "Save As...", "saveAs", this, &TLinearSystemWindow::SaveAs);

  QMenu* execute = menus->addMenu("&Execute");
  QMenu* view = menus->addMenu("&View");
  const struct {
    QMenu* Menu;
    const char* Caption;
    const char* Name;
    TSystemCommand Command;
  } commands[] = {{execute, "&System Solve", "systemSolve", TSystemCommand::Solve},
                  {execute, "&Determinant", "determinant", TSystemCommand::Determinant},
                  {execute, "&Inverse matrix", "inverseMatrix", TSystemCommand::Inverse},
                  {view, "&Initial matrix", "initialMatrix", TSystemCommand::InitialMatrix},
                  {view, "&Right part", "rightPart", TSystemCommand::RightPart}};
  for (const auto& c : commands) {
    QAction* a = AddMenuAction(c.Menu, c.Caption, c.Name);
    a->setCheckable(true);
    const TSystemCommand command = c.Command;
    // The check mark follows the outcome, not the click.
    connect(a, &QAction::triggered, this, [this, a, command] {
      a->setChecked(false);
      Execute(command);
    });
    Commands_[static_cast<int>(command)] = a;
  }
  Commands_[static_cast<int>(TSystemCommand::Solve)]->setShortcut(Qt::Key_F9);
  view->addSeparator();
  AddStayOnTop(view, this);
  QMenu* window = menus->addMenu("&Window");
  AddMenuAction(window, "&Main", "main", this, [this] {
    if (Host_.ShowMain) Host_.ShowMain();
  });
}

void TLinearSystemWindow::ShowWindow() { ShowInFront(this); }

void TLinearSystemWindow::Execute(TSystemCommand command) {
  if (Running()) return;
  struct TRun {
    std::string Variables, Equations;
    double Tolerance = 0;
    TSystemOutcome Outcome;
  };
  auto run = std::make_shared<TRun>();
  Host_.RunForTool(
      [this, run] {
        for (QAction* a : Commands_) a->setChecked(false);
        Results_->clear();
        run->Variables = Variables_->toPlainText().toStdString();
        run->Equations = Equations_->toPlainText().toStdString();
        run->Tolerance = Host_.Calc->GetParameter(parDetTolerance);
        Indicator_->Start(&Progress_);
      },
      [this, run, command] {
        run->Outcome = System_->Run(
            command, run->Variables, run->Equations, run->Tolerance, [this] { return Host_.Calc->StopRequested(); },
            &Progress_);
      },
      [this, run, command] {
        Indicator_->Stop();
        Results_->setPlainText(QString::fromStdString(run->Outcome.Results));
        if (run->Outcome.Done) Commands_[static_cast<int>(command)]->setChecked(true);
        for (const std::string& m : run->Outcome.Messages) Host_.Ui->ShowMessage(m);
      });
}

// ---- files ----------------------------------------------------------------------------

QString TLinearSystemWindow::StartFolder() const { return FolderOf(System_->FileName()); }

void TLinearSystemWindow::ShowFileState() {
  Save_->setEnabled(System_->FileValid());
  setWindowTitle(System_->FileValid() ? QString::fromStdString(System_->FileName()) : QString(TLinearSystem::kCaption));
}

void TLinearSystemWindow::Open() {
  setWindowTitle(TLinearSystem::kCaption);
  if (!System_->MayDiscard(Variables_->toPlainText().toStdString(), Equations_->toPlainText().toStdString(), *Host_.Ui))
    return;
  const QString file = TFileDialog::OpenFileName(this, "Open", StartFolder(), kFilter);
  if (!file.isEmpty()) OpenFile(file);
}

void TLinearSystemWindow::OpenFile(const QString& fileName) {
  const std::string path = fileName.toStdString();
  std::string variables, equations;
  if (!QFileInfo(fileName).isFile()) {
    System_->ForgetFile();
  } else if (System_->Read(path, variables, equations, *Host_.Ui)) {
    Variables_->setPlainText(QString::fromStdString(variables));
    Equations_->setPlainText(QString::fromStdString(equations));
    Results_->clear();
    for (QAction* a : Commands_) a->setChecked(false);
  }
  ShowFileState();
}

void TLinearSystemWindow::Save() {
  if (!System_->FileValid()) return;
  System_->Write(System_->FileName(), Variables_->toPlainText().toStdString(), Equations_->toPlainText().toStdString(),
                 *Host_.Ui);
  ShowFileState();
}

void TLinearSystemWindow::SaveAs() {
  setWindowTitle(TLinearSystem::kCaption);
  if (const QString file = TFileDialog::SaveFileName(this, "Save As", StartFolder(), kFilter, "sle"); !file.isEmpty())
    SaveAsFile(file);
  else ShowFileState();
}

bool TLinearSystemWindow::SaveAsFile(const QString& fileName) {
  const bool saved = System_->Write(fileName.toStdString(), Variables_->toPlainText().toStdString(),
                                    Equations_->toPlainText().toStdString(), *Host_.Ui);
  ShowFileState();
  return saved;
}

bool TLinearSystemWindow::MayExit() {
  const std::string variables = Variables_->toPlainText().toStdString();
  const std::string equations = Equations_->toPlainText().toStdString();
  if (!System_->Modified(variables, equations)) return true;
  ShowWindow();
  // Cancel (or Esc) keeps the program running, like No.
  return Host_.Ui->AskYesNoCancel(texts::kAreYouSure) == TAnswer::Yes;
}

void TLinearSystemWindow::SetFontPixels(int pixels) {
  for (QPlainTextEdit* pane : {Variables_, Equations_, Results_}) {
    QFont f = pane->font();
    f.setPixelSize(pixels);
    pane->setFont(f);
  }
}

}  // namespace helmax
