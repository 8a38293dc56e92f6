#include "richtext/widget/find_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

// The finder keeps at most this much of a pattern.
constexpr int kMaxFindText = 255;

QPointer<TFindReplaceDialog> findDialog;
QPointer<TFindReplaceDialog> replaceDialog;

// A character the code page lacks becomes byte 0, which no text holds, so
// such a pattern is simply not found.
std::string PatternBytes(const QString& text) { return QStringToWin1252(text, 0); }

TFindReplaceDialog* ShowDialog(QPointer<TFindReplaceDialog>& dialog, TFindReplaceDialog::TKind kind,
                               QPointer<TFindReplaceDialog>& other, TFindTarget& target, QWidget* owner) {
  if (other) other->hide();
  QWidget* parent = owner ? owner->window() : nullptr;
  if (!dialog) {
    dialog = new TFindReplaceDialog(kind, parent);
  } else if (dialog->parentWidget() != parent) {
    // Another window's editor opened it: it goes along with that window.
    const bool visible = dialog->isVisible();
    dialog->setParent(parent, dialog->windowFlags());
    if (visible) dialog->show();
  }
  dialog->SetTarget(&target);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  return dialog;
}

}  // namespace

TFindReplaceDialog::TFindReplaceDialog(TKind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
  const bool replace = kind == TKind::Replace;
  setWindowTitle(replace ? tr("Replace") : tr("Find"));
  setModal(false);

  findEdit_ = new QLineEdit(this);
  findEdit_->setMaxLength(kMaxFindText);
  auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
  findLabel->setBuddy(findEdit_);
  auto* fields = new QGridLayout;
  fields->addWidget(findLabel, 0, 0);
  fields->addWidget(findEdit_, 0, 1);
  if (replace) {
    replaceEdit_ = new QLineEdit(this);
    replaceEdit_->setMaxLength(kMaxFindText);
    auto* replaceLabel = new QLabel(tr("Re&place with:"), this);
    replaceLabel->setBuddy(replaceEdit_);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(replaceEdit_, 1, 1);
  }

  wholeWordBox_ = new QCheckBox(tr("Match &whole word only"), this);
  matchCaseBox_ = new QCheckBox(tr("Match &case"), this);
  auto* boxes = new QVBoxLayout;
  boxes->addWidget(wholeWordBox_);
  boxes->addWidget(matchCaseBox_);
  boxes->addStretch();

  auto* direction = new QGroupBox(tr("Direction"), this);
  upButton_ = new QRadioButton(tr("&Up"), direction);
  downButton_ = new QRadioButton(tr("&Down"), direction);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(upButton_);
  directionLayout->addWidget(downButton_);
  // Find starts searching down; Replace starts with neither chosen.
  if (!replace) downButton_->setChecked(true);

  auto* options = new QHBoxLayout;
  options->addLayout(boxes);
  options->addWidget(direction);

  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addLayout(options);

  findNextButton_ = new QPushButton(tr("&Find Next"), this);
  findNextButton_->setDefault(true);
  closeButton_ = new QPushButton(tr("Close"), this);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(findNextButton_);
  if (replace) {
    replaceButton_ = new QPushButton(tr("&Replace"), this);
    replaceAllButton_ = new QPushButton(tr("Replace &All"), this);
    buttons->addWidget(replaceButton_);
    buttons->addWidget(replaceAllButton_);
  }
  buttons->addWidget(closeButton_);
  buttons->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttons);

  connect(findNextButton_, &QPushButton::clicked, this, &TFindReplaceDialog::FindNextButtonClick);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(findEdit_, &QLineEdit::textChanged, this, &TFindReplaceDialog::FindTextChange);
  if (replace) {
    connect(replaceButton_, &QPushButton::clicked, this, &TFindReplaceDialog::ReplaceButtonClick);
    connect(replaceAllButton_, &QPushButton::clicked, this, &TFindReplaceDialog::ReplaceAllButtonClick);
  }
  FindTextChange();
}

void TFindReplaceDialog::SetTarget(TFindTarget* target) {
  target_ = target;
  FindTextChange();
}

TFindOptions TFindReplaceDialog::Options() const {
  TFindOptions o;
  o.text = PatternBytes(findEdit_->text());
  if (replaceEdit_) o.replacement = QStringToWin1252(replaceEdit_->text());
  o.wholeWord = wholeWordBox_->isChecked();
  o.matchCase = matchCaseBox_->isChecked();
  o.up = upButton_->isChecked();
  return o;
}

void TFindReplaceDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  findEdit_->setFocus();
  findEdit_->selectAll();
}

void TFindReplaceDialog::FindTextChange() {
  // Nothing to look for, or no editor to look in: only Close works.
  const bool enabled = !findEdit_->text().isEmpty() && target_;
  findNextButton_->setEnabled(enabled);
  if (replaceButton_) replaceButton_->setEnabled(enabled);
  if (replaceAllButton_) replaceAllButton_->setEnabled(enabled);
}

void TFindReplaceDialog::ShowNotFound() {
  QMessageBox::information(this, tr("Information"), tr("Cannot find \"%1\"").arg(findEdit_->text()));
}

void TFindReplaceDialog::FindNextButtonClick() {
  if (!target_ || findEdit_->text().isEmpty()) return;
  if (!FindHandler(*target_, Options())) ShowNotFound();
}

void TFindReplaceDialog::ReplaceButtonClick() {
  if (!target_ || findEdit_->text().isEmpty()) return;
  switch (ReplaceHandler(*target_, Options())) {
    case TReplaceResult::Replaced:
    case TReplaceResult::FoundNext:
      break;
    case TReplaceResult::NotFound:
      ShowNotFound();
      break;
    case TReplaceResult::ReadOnly:
      QApplication::beep();
      break;
    case TReplaceResult::Failed:
      QMessageBox::warning(this, tr("Information"),
                           tr("Cannot replace \"%1\": not enough memory.").arg(findEdit_->text()));
      break;
  }
}

void TFindReplaceDialog::ReplaceAllButtonClick() {
  if (!target_ || findEdit_->text().isEmpty()) return;
  const TReplaceAllResult result = ReplaceAllHandler(*target_, Options());
  if (result.readOnly) {
    QApplication::beep();
  } else if (result.count == 0) {
    ShowNotFound();
  }
}

TFindReplaceDialog* ShowFindDialog(TFindTarget& target, QWidget* owner) {
  return ShowDialog(findDialog, TFindReplaceDialog::TKind::Find, replaceDialog, target, owner);
}

TFindReplaceDialog* ShowReplaceDialog(TFindTarget& target, QWidget* owner) {
  return ShowDialog(replaceDialog, TFindReplaceDialog::TKind::Replace, findDialog, target, owner);
}

TFindReplaceDialog* FindDialog() { return findDialog; }
TFindReplaceDialog* ReplaceDialog() { return replaceDialog; }

void DetachFindDialogs(TFindTarget& target) {
  for (TFindReplaceDialog* dialog : {findDialog.data(), replaceDialog.data()}) {
    if (dialog && dialog->Target() == &target) {
      dialog->SetTarget(nullptr);
      dialog->hide();
    }
  }
}

}  // namespace quill
