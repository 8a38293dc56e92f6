#pragma once
// The application's Find and Replace dialogs. There is one of each, created
// when first needed and kept; opening one hides the other, and each sends
// its buttons to the editor that opened it last. They stay open beside the
// page while the user goes on writing.

#include <QDialog>
#include <QString>

#include "richtext/widget/find_handlers.h"
#include "richtext/widget/find_target.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quill {

class TFindReplaceDialog : public QDialog {
  Q_OBJECT

 public:
  enum class TKind { Find, Replace };

  explicit TFindReplaceDialog(TKind kind, QWidget* parent = nullptr);

  TKind Kind() const { return kind_; }
  // The editor the buttons act on; null when none (it was destroyed).
  TFindTarget* Target() const { return target_; }
  void SetTarget(TFindTarget* target);
  // The settings as the handlers take them; no direction chosen searches
  // down.
  TFindOptions Options() const;

  QLineEdit* FindEdit() const { return findEdit_; }
  QLineEdit* ReplaceEdit() const { return replaceEdit_; }  // null in Find
  QCheckBox* WholeWordBox() const { return wholeWordBox_; }
  QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
  QRadioButton* UpButton() const { return upButton_; }
  QRadioButton* DownButton() const { return downButton_; }
  QPushButton* FindNextButton() const { return findNextButton_; }
  QPushButton* ReplaceButton() const { return replaceButton_; }        // null in Find
  QPushButton* ReplaceAllButton() const { return replaceAllButton_; }  // null in Find
  QPushButton* CloseButton() const { return closeButton_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FindNextButtonClick();
  void ReplaceButtonClick();
  void ReplaceAllButtonClick();
  void FindTextChange();
  void ShowNotFound();

  TKind kind_;
  TFindTarget* target_ = nullptr;
  QLineEdit* findEdit_ = nullptr;
  QLineEdit* replaceEdit_ = nullptr;
  QCheckBox* wholeWordBox_ = nullptr;
  QCheckBox* matchCaseBox_ = nullptr;
  QRadioButton* upButton_ = nullptr;
  QRadioButton* downButton_ = nullptr;
  QPushButton* findNextButton_ = nullptr;
  QPushButton* replaceButton_ = nullptr;
  QPushButton* replaceAllButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

// Show the application's dialog for the editor target, beside owner's
// window (which becomes the dialog's parent); the other dialog is hidden.
TFindReplaceDialog* ShowFindDialog(TFindTarget& target, QWidget* owner);
TFindReplaceDialog* ShowReplaceDialog(TFindTarget& target, QWidget* owner);

// The application's dialogs; null before they are first needed (or after
// the window they belonged to was destroyed).
TFindReplaceDialog* FindDialog();
TFindReplaceDialog* ReplaceDialog();

// The editor target is going away: the dialogs that serve it stop doing so
// and are hidden.
void DetachFindDialogs(TFindTarget& target);

}  // namespace quill
