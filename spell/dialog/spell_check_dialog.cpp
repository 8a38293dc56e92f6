#include "spell/dialog/spell_check_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "richtext/widget/rich_text.h"
#include "richtext/widget/win1252_codec.h"
#include "spell/dialog/spell_dictionaries.h"

namespace quill {

namespace {

// The dialog's own close request, posted once "Spell check complete" has
// been shown, so that it closes from the message loop.
QEvent::Type CloseRequestEvent() { return QEvent::Type(QEvent::User + 42); }

void Colour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Text, colour);
  w->setPalette(p);
  QFont f = w->font();
  f.setBold(true);
  w->setFont(f);
}

}  // namespace

TSpellCheckDialog::TSpellCheckDialog(TRichText* editor, const std::string& programFolder,
                                     const std::string& userFolder, QWidget* parent)
    : QDialog(parent), editor_(editor), programFolder_(programFolder), userFolder_(userFolder) {
  ShowInformation = [this](const QString& text) {
    QMessageBox box(QMessageBox::Information, "Information", text, QMessageBox::Ok, parentWidget());
    box.exec();
  };
  BuildControls();
  FormCreate();
}

TSpellCheckDialog::~TSpellCheckDialog() { FormClose(); }

void TSpellCheckDialog::BuildControls() {
  setObjectName("SpellCheckDialog");
  setWindowTitle(kSpellCheckCaption);
  setFont(QFont("Arial", 8));
  Label1 = new QLabel("Possible spelling error", this);
  Word = new QLineEdit(this);
  Word->setObjectName("Word");
  Colour(Word, Qt::red);
  Label2 = new QLabel("Replace with", this);
  ReplaceAs = new QLineEdit(this);
  ReplaceAs->setObjectName("ReplaceAs");
  Colour(ReplaceAs, Qt::blue);
  Label3 = new QLabel("Possible replacements", this);
  WordList = new QListWidget(this);
  WordList->setObjectName("WordList");
  Colour(WordList, Qt::black);
  GetNextWordButton = new QPushButton("&Skip Word", this);
  GetNextWordButton->setObjectName("GetNextWordButton");
  Replace = new QPushButton("&Replace", this);
  Replace->setObjectName("Replace");
  Addbutton = new QPushButton("Add", this);
  Addbutton->setObjectName("Addbutton");
  Cancel = new QPushButton("&Cancel", this);
  Cancel->setObjectName("Cancel");
  for (QPushButton* b : {GetNextWordButton, Replace, Addbutton, Cancel}) b->setAutoDefault(false);
  GetNextWordButton->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Word, 1, 0);
  grid->addWidget(Label2, 2, 0);
  grid->addWidget(ReplaceAs, 3, 0);
  grid->addWidget(Label3, 4, 0);
  grid->addWidget(WordList, 5, 0, 2, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {GetNextWordButton, Replace, Addbutton}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(Cancel);
  grid->addLayout(buttons, 1, 1, 6, 1);
  resize(360, 280);

  connect(GetNextWordButton, &QPushButton::clicked, this, [this] { GetNextWordButtonClick(); });
  connect(Replace, &QPushButton::clicked, this, [this] { ReplaceClick(); });
  connect(Addbutton, &QPushButton::clicked, this, [this] { AddbuttonClick(); });
  connect(Cancel, &QPushButton::clicked, this, [this] { CancelClick(); });
  connect(WordList, &QListWidget::itemClicked, this, [this] { WordListDblClick(); });
  connect(WordList, &QListWidget::itemDoubleClicked, this, [this] { WordListDblClick(); });
}

void TSpellCheckDialog::FormCreate() {
  userDictionaryId_ = OpenSpellDictionaries(ZelvoSpell1, programFolder_, userFolder_);
  Addbutton->setEnabled(userDictionaryId_ != -1);
  firstActivation_ = true;
}

void TSpellCheckDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The check runs once the dialog is on screen, from the message loop.
  if (firstActivation_) QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TSpellCheckDialog::FormActivate() {
  if (!firstActivation_) return;
  firstActivation_ = false;
  if (!isVisible()) show();
  editor_->RestartWordWalk();
  CheckNextWord();
}

void TSpellCheckDialog::CheckNextWord() {
  std::string word;
  for (;;) {
    word = editor_->NextWord();
    if (word.empty()) break;
    if (!ZelvoSpell1.IsWordCorrect(word)) {
      WordList->clear();
      for (const std::string& s : ZelvoSpell1.GetSuggestions(word)) WordList->addItem(Win1252ToQString(s));
      editor_->SelectFoundWord();
      break;
    }
  }
  Word->setText(Win1252ToQString(word));
  ReplaceAs->setText(WordList->count() > 0 ? WordList->item(0)->text() : Win1252ToQString(word));
  if (!word.empty()) return;
  finished_ = true;
  hide();
  ShowInformation(kSpellCheckCompleteText);
  QCoreApplication::postEvent(this, new QEvent(CloseRequestEvent()));
}

void TSpellCheckDialog::GetNextWordButtonClick() { CheckNextWord(); }

void TSpellCheckDialog::ReplaceClick() {
  // Only a replacement that was made makes the page's edit pending.
  const bool replaced = editor_->ReplaceSelection(QStringToWin1252(ReplaceAs->text()));
  if (replaced) editor_->Changed();
  CheckNextWord();
}

void TSpellCheckDialog::AddbuttonClick() {
  if (!Word->text().isEmpty()) ZelvoSpell1.AddWord(QStringToWin1252(Word->text().trimmed()), userDictionaryId_);
  CheckNextWord();
}

void TSpellCheckDialog::WordListDblClick() {
  if (QListWidgetItem* item = WordList->currentItem()) ReplaceAs->setText(item->text());
}

void TSpellCheckDialog::CancelClick() { close(); }

void TSpellCheckDialog::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (editor_) editor_->SetSelection(0, 0);
  ZelvoSpell1.CloseDictionaries();
}

void TSpellCheckDialog::done(int result) {
  FormClose();
  QDialog::done(result);
}

bool TSpellCheckDialog::event(QEvent* event) {
  if (event->type() == CloseRequestEvent()) {
    done(QDialog::Rejected);
    return true;
  }
  return QDialog::event(event);
}

}  // namespace quill
