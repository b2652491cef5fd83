// TConstantsLibraryWindow "Constants definition table": a category box, a
// grid of the category's constants, a search box and "Add to Constants",
// over the core's TConstantsLibrary. Its three dialogs: TLibraryConstantDialog
// (add or edit one constant), TDeleteLibraryConstantsDialog "Delete
// definition" and TConstantCategoryDialog (add or rename a category). The
// dialogs only collect texts; the window forwards them to the core.
#pragma once

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QWidget>
#include <functional>

#include "ConstantList.h"
#include "ConstantsLibrary.h"
#include "FieldDialogs.h"

namespace helmax {

// The constants of one category of the library: "#", "Name", "Value",
// "Description".
class TLibraryCategoryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TLibraryCategoryModel(const TConstantsLibrary& library, QObject* parent = nullptr)
      : QAbstractTableModel(parent), Library_(library) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The category shown (-1: none); the model is reset.
  void ShowCategory(int category);
  int Category() const { return Category_; }

 private:
  const TConstantsLibrary& Library_;
  int Category_ = -1;
};

class TLibraryConstantDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TLibraryConstantDialog(QWidget* owner);
  void SetFields(const QString& caption, const QString& name, const QString& value, const QString& description);
  QLineEdit* NameEdit() const { return Name_; }
  QLineEdit* ValueEdit() const { return Value_; }
  QLineEdit* DescriptionEdit() const { return Description_; }
  QPushButton* OkButton() const { return Ok_; }
  // Ok: the dialog closes when this returns true.
  std::function<bool()> OnOk;

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* Name_;
  QLineEdit* Value_;
  QLineEdit* Description_;
  QPushButton* Ok_;
};

class TDeleteLibraryConstantsDialog : public TFromCountDialog {
  Q_OBJECT
 public:
  explicit TDeleteLibraryConstantsDialog(QWidget* owner)
      : TFromCountDialog(owner, "deleteLibraryConstantsDialog", "Delete definition", true, "1", TButtons::Standard) {}
  std::function<bool()> OnOk;

 public slots:
  void accept() override;
};

class TConstantCategoryDialog : public TNameFieldDialog {
  Q_OBJECT
 public:
  explicit TConstantCategoryDialog(QWidget* owner)
      : TNameFieldDialog(owner, "constantCategoryDialog", "Name", QString(), 360, TButtons::Standard) {}
  std::function<bool()> OnOk;

 public slots:
  void accept() override;
};

class TConstantsLibraryWindow : public QWidget {
  Q_OBJECT
 public:
  // constants: the calculator's constant list, which Add to Constants fills.
  TConstantsLibraryWindow(TConstantsLibrary& library, TConstantList& constants, QWidget* owner);

  // At start: the library that the settings name (or the default one).
  void LoadLibrary(const std::string& settingsPath);
  void ShowLibrary();

  // The category shown (-1: none), and choosing one by name.
  int CurrentCategory() const { return Categories_->currentIndex(); }
  void SelectCategory(const QString& name);
  // The search box: selects the constant's row and scrolls to it.
  void ChooseConstant(const QString& name);

  // File menu; the ...File forms take the file the user picked.
  void NewLibrary();
  void OpenLibrary();
  void OpenLibraryFile(const QString& fileName);
  void SaveLibrary();
  void SaveLibraryAs();
  bool SaveLibraryAsFile(const QString& fileName);
  void RestoreDefaultLibrary();
  // Edit and Category menus, the grid and the button.
  void AddConstant();
  void EditRow(int row);  // 0 for the first constant
  void DeleteConstants();
  void AddCategory();
  void EditCategory();
  void DeleteCategory();
  void AddToConstants();
  // When the program ends: false keeps it running (unsaved edits).
  bool MayExit();

  QComboBox* CategoryBox() const { return Categories_; }
  QComboBox* SearchBox() const { return Search_; }
  QTableView* Grid() const { return Grid_; }
  QString StatusText() const { return Status_->currentMessage(); }

  std::function<void()> OnShowMain;
  std::function<void()> OnShowConstants;
  std::function<void()> OnConstantAdded;  // the constant list changed
  // Called before the window touches the constant list: the owner makes sure
  // that no calculation of its own uses the engines meanwhile.
  std::function<void()> BeforeCoreAccess;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus(QMenuBar* menus);
  // Refills the category box; selects the first category when selectFirst,
  // none otherwise.
  void ShowCategories(bool selectFirst);
  // Shows the selected category in the grid and fills the search box.
  void ShowCategory();
  void ShowFileState();
  bool ConstantDialogOk();
  bool DeleteDialogOk();
  bool CategoryDialogOk();
  // The Save As dialog; the chosen file or empty.
  QString ChooseSaveFile();
  QString StartFolder() const;
  void FitColumns();

  TConstantsLibrary& Library_;
  TConstantList& Constants_;
  TLibraryCategoryModel* Model_;
  QComboBox* Categories_;
  QComboBox* Search_;
  QPushButton* AddToConstants_;
  QTableView* Grid_;
  QStatusBar* Status_;
  QAction* Save_ = nullptr;
  TLibraryConstantDialog* ConstantDialog_;
  TDeleteLibraryConstantsDialog* DeleteDialog_;
  TConstantCategoryDialog* CategoryDialog_;
  int EditedRow_ = -1;            // the constant dialog edits this row; -1: adds
  bool EditingCategory_ = false;  // the category dialog renames the selected one
  bool Filling_ = false;          // the boxes are being refilled by the program
};

}  // namespace helmax
