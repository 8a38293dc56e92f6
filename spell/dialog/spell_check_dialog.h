#pragma once
// "Spell Check": walks the words of an editor's page from its first to its
// last, stops at each word no open dictionary holds, selects it in the
// editor and offers the engine's suggestions; the user skips it, replaces
// it or adds it to the user dictionary. The check starts when the dialog is
// first shown and the dialog closes itself after "Spell check complete".

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "richtext/widget/rich_text.h"
#include "spell/engine/zelvo_spell.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quill {

class TSpellCheckDialog : public QDialog {
  Q_OBJECT
 public:
  // Folders end with a separator: the main dictionary lies in the program
  // folder, the user dictionary in the user's.
  TSpellCheckDialog(TRichText* editor, const std::string& programFolder, const std::string& userFolder,
                    QWidget* parent = nullptr);
  ~TSpellCheckDialog() override;

  void FormCreate();
  void FormActivate();
  void CheckNextWord();
  void GetNextWordButtonClick();
  void ReplaceClick();
  void AddbuttonClick();
  void WordListDblClick();
  void CancelClick();
  void FormClose();

  TRichText* editor() const { return editor_; }
  int16_t UserDictionaryId() const { return userDictionaryId_; }
  bool Finished() const { return finished_; }

  // Shows "Spell check complete"; a message box with the caption
  // "Information" unless replaced.
  std::function<void(const QString& text)> ShowInformation;

  QLabel* Label1;
  QLineEdit* Word;
  QLabel* Label2;
  QLineEdit* ReplaceAs;
  QLabel* Label3;
  QListWidget* WordList;
  QPushButton* GetNextWordButton;
  QPushButton* Replace;
  QPushButton* Addbutton;
  QPushButton* Cancel;
  TZelvoSpell ZelvoSpell1;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 public:
  void done(int result) override;

 private:
  void BuildControls();

  QPointer<TRichText> editor_;
  std::string programFolder_;
  std::string userFolder_;
  int16_t userDictionaryId_ = -1;
  bool firstActivation_ = false;
  bool finished_ = false;  // "Spell check complete" was reached
  bool closed_ = false;    // FormClose has run
};

inline constexpr const char* kSpellCheckCaption = "Spell Check";
inline constexpr const char* kSpellCheckCompleteText = "Spell check complete";

}  // namespace quill
