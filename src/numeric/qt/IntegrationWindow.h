// TIntegrationWindow "Numerical Integration": the function to integrate,
// the two limits, "&Integrate" and the result field, over the core's
// TIntegration. The integration runs on the calculator's worker.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "Integration.h"
#include "ProgressDisplay.h"
#include "ToolHost.h"

namespace helmax {

class TIntegrationWindow : public QWidget {
  Q_OBJECT
 public:
  TIntegrationWindow(TToolHost host, QWidget* owner);

  void ShowWindow();
  void Integrate();
  void SetFontPixels(int pixels);

  QPlainTextEdit* FunctionBox() const { return Function_; }
  QLineEdit* FromEdit() const { return From_; }
  QLineEdit* ToEdit() const { return To_; }
  QLineEdit* ResultEdit() const { return Result_; }
  QLabel* FromLabel() const { return FromLabel_; }
  QLabel* ToLabel() const { return ToLabel_; }
  QPushButton* IntegrateButton() const { return Integrate_; }
  // The integrand evaluations of the run so far, in the status bar.
  QLabel* EvaluationsLabel() const { return Evaluations_; }
  bool Running() const { return Indicator_->Running(); }

 protected:
 private:
  TToolHost Host_;
  std::unique_ptr<TIntegration> Tool_;
  TProgress Progress_;
  QPlainTextEdit* Function_;
  QLabel* FromLabel_;
  QLabel* ToLabel_;
  QLineEdit* From_;
  QLineEdit* To_;
  QPushButton* Integrate_;
  QLineEdit* Result_;
  TProgressDisplay* Indicator_;
  QLabel* Evaluations_;
  QTimer* EvaluationsTimer_;
  // Counts the runs: news from the worker about an older one is dropped.
  std::uint64_t RunNumber_ = 0;
  void ShowEvaluations();
};

}  // namespace helmax
