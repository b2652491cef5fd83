// TUnitGraphWindow: the graph of one unit category, painted on a black
// canvas: every unit a labelled vertex, every definition two arrows ("E" +
// row from Unit A to Unit B, "F" + row back). Its View menu colours a
// minimal tree, the shortest paths between two units (browsed one at a
// time with Options > Path) or a maximal flow between them in red; vertices
// are dragged with the mouse and their new places kept with the table. The
// two dialogs: TGraphEndsDialog (begin and end unit) and TPathNumberDialog.
// The window presents a TUnitGraphView and forwards to it.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QWidget>
#include <functional>

#include "UnitGraphView.h"

namespace helmax {

class TUserInterface;

class TGraphEndsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TGraphEndsDialog(QWidget* owner);
  void SetUnits(const std::vector<std::string>& units);  // no unit chosen
  QComboBox* BeginBox() const { return Begin_; }
  QComboBox* EndBox() const { return End_; }
  std::function<bool()> OnOk;  // the dialog closes when it returns true

 public slots:
  void accept() override;

 private:
  QComboBox* Begin_;
  QComboBox* End_;
};

class TPathNumberDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TPathNumberDialog(QWidget* owner);
  QLineEdit* NumberEdit() const { return Number_; }
  std::function<bool()> OnOk;

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* Number_;
};

// The canvas: paints the view's picture and hands the mouse to the window.
class TGraphCanvas : public QWidget {
  Q_OBJECT
 public:
  TGraphCanvas(const TUnitGraphView& view, QWidget* parent);
  std::function<void(QMouseEvent*)> OnPress, OnMove, OnRelease;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const TUnitGraphView& View_;
};

class TUnitGraphWindow : public QWidget {
  Q_OBJECT
 public:
  TUnitGraphWindow(TUserInterface& ui, QWidget* owner);

  // Shows a category (null: none): the vertices at the units' places, the
  // plain graph. False when there is none or it is too large (reported).
  bool ShowCategory(const TGraphCategory* category);
  void ShowWindow();

  // The View menu; the paths and the flow ask for their two units first.
  void ShowView(TGraphView view);
  // Options menu.
  void LayOutAgain();
  void ChoosePathNumber();
  // Saves the canvas: a 4-bit bitmap, or PNG when the name ends so.
  bool SaveImage(const QString& fileName);

  const TUnitGraphView& View() const { return View_; }
  TGraphCanvas* Canvas() const { return Canvas_; }
  QString StatusText() const { return Status_->currentMessage(); }
  QAction* Action(const QString& objectName) const;

  std::function<void()> OnShowTable, OnShowMain, OnShowConversion;
  // A vertex was dragged to a new place: unit (from 0) of the category
  // shown (from 0), kept with the table.
  std::function<void(int category, int unit, int x, int y)> OnVertexMoved;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus(QWidget* menuBar);
  // Builds and computes the view again and repaints.
  void Refresh();
  void ShowViewChecks();
  void Pressed(QMouseEvent* event);
  void Moved(QMouseEvent* event);
  void Released(QMouseEvent* event);
  bool EndsChosen();
  bool PathNumberChosen();

  TUserInterface& Ui_;
  TUnitGraphView View_;
  TGraphCanvas* Canvas_;
  QStatusBar* Status_;
  TGraphEndsDialog* Ends_;
  TPathNumberDialog* PathDialog_;
  QAction* Views_[4] = {};
  QAction* Path_ = nullptr;
  bool Placed_ = false;  // centred on the calculator when first shown
};

}  // namespace helmax
