#pragma once
// The formatting toolbar that goes with an editor: font name, size, text
// and background colour lists, the style and alignment icons and the
// clipboard icons. It shows the format at the editor's caret as the caret
// moves and sends its commands to the editor. The application may append
// buttons of its own after the toolbar's groups.

#include <QPointer>
#include <QToolBar>
#include <functional>
#include <vector>

class QAction;
class QComboBox;
class QShortcut;

namespace quill {

class TRichText;
struct TCharAttr;

class TFormatToolBar : public QToolBar {
  Q_OBJECT
 public:
  static constexpr int kMaxExtraButtons = 100;

  explicit TFormatToolBar(QWidget* parent = nullptr);
  ~TFormatToolBar() override;

  // The editor the toolbar shows and acts on; null detaches it.
  void SetEditor(TRichText* editor);
  TRichText* Editor() const { return editor_; }

  // Appends an application button after the toolbar's own groups; false
  // (and the button left alone) when 100 are already there.
  bool AddExtraButton(QWidget* button);
  int ExtraButtonCount() const { return int(extraButtons_.size()); }

  // Shows the format at the editor's caret.
  void UpdateFromEditor();

  QComboBox* FontNameList() const { return fontName_; }
  QComboBox* FontSizeList() const { return fontSize_; }
  QComboBox* TextColorList() const { return textColor_; }
  QComboBox* BackColorList() const { return backColor_; }
  QAction* NormalIcon() const { return normal_; }
  QAction* BoldIcon() const { return bold_; }
  QAction* ItalicIcon() const { return italic_; }
  QAction* UnderlineIcon() const { return underline_; }
  QAction* LeftIcon() const { return left_; }
  QAction* RightIcon() const { return right_; }
  QAction* CenterIcon() const { return center_; }
  QAction* CopyIcon() const { return copy_; }
  QAction* CutIcon() const { return cut_; }
  QAction* PasteIcon() const { return paste_; }

 private:
  void BuildLists();
  void BuildIcons();
  void FontNameChosen();
  void FontSizeChosen();
  void TextColorChosen(int row);
  void BackColorChosen(int row);
  void StyleClicked(uint8_t bit, bool on);
  void NormalClicked();
  void AlignmentClicked(uint8_t alignment);
  void FillColorLists();
  void Coalesced(bool& pending, std::function<void()> command);
  void ShowAttributes(const TCharAttr& attr);
  // Copy and Cut need a selection; Cut and Paste an editable page.
  void UpdateEditIcons();

  QPointer<TRichText> editor_;
  QMetaObject::Connection caretConnection_;
  QMetaObject::Connection editStateConnection_;
  QMetaObject::Connection destroyedConnection_;
  // Owned by the editor: gone with it.
  std::vector<QPointer<QShortcut>> shortcuts_;
  bool showing_ = false;
  bool fontNamePending_ = false;
  bool fontSizePending_ = false;  // the lists are being set from the caret, not by the user

  QComboBox* fontName_ = nullptr;
  QComboBox* fontSize_ = nullptr;
  QComboBox* textColor_ = nullptr;
  QComboBox* backColor_ = nullptr;
  QAction* normal_ = nullptr;
  QAction* bold_ = nullptr;
  QAction* italic_ = nullptr;
  QAction* underline_ = nullptr;
  QAction* left_ = nullptr;
  QAction* right_ = nullptr;
  QAction* center_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* cut_ = nullptr;
  QAction* paste_ = nullptr;
  std::vector<QWidget*> extraButtons_;
};

}  // namespace quill
