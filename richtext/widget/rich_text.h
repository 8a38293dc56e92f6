#pragma once
// The rich text editor control: a scroll area that owns its document, lays
// it out through TRTFTextPaint, paints the visible lines through a painter
// canvas, and turns keys, input-method text and the mouse into the editing
// layer's commands. The application drives it through the operations below
// and learns of edits through OnChange.

#include <QAbstractScrollArea>
#include <QColor>
#include <QTimer>

class QMenu;
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/find/text_finder.h"
#include "richtext/input/rtf_text_input.h"
#include "richtext/layout/text_paint.h"
#include "richtext/model/rtf_text.h"
#include "richtext/widget/paint_input_layout.h"
#include "richtext/widget/picture_cache.h"
#include "richtext/widget/qt_font_metrics.h"
#include "richtext/widget/rich_clipboard_port.h"
#include "richtext/widget/rich_text_files.h"
#include "richtext/widget/spelling_marks.h"
#include "richtext/widget/tool_language.h"

namespace quill {

class TFindTarget;
class TRichTextFindTarget;

enum TScrollBars { ssNone, ssHorizontal, ssVertical, ssBoth };

class TRichText : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TRichText(QWidget* parent = nullptr);
  ~TRichText() override;

  // ---- what the control owns -------------------------------------------------
  TRTFText& RtfText() { return doc_; }
  TRTFTextPaint& Layout() { return paint_; }
  // The pictures decoded for painting the page.
  const TPictureCache& Pictures() const { return pictures_; }
  TRTFTextInput& Input() { return input_; }
  // Serves the spell check's word walk.
  TTextFinder& WordFinder() { return wordFinder_; }
  // Serves the Find and Replace dialogs and FindText.
  TTextFinder& Finder() { return findFinder_; }
  // The file last loaded or saved; empty after Clear.
  const std::string& FileName() const { return files_.FileName(); }

  // ---- events ------------------------------------------------------------------
  // Raised by Changed(): after typing and the editing commands that change
  // the text (never by Clear, LoadFromFile, SaveToFile, caret movement or
  // scrolling).
  std::function<void()> OnChange;
  // Sees every key first, as a Qt key code with its modifiers; setting the
  // key to 0 keeps it from the editor.
  std::function<void(int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
  // Shows an edit the document could not take (out of memory, a line past
  // its limit); a message box when unassigned.
  std::function<void(const std::string& message)> OnError;

  // ---- properties ------------------------------------------------------------------
  bool WordWrap() const { return paint_.WordWrap(); }
  // On: lines wrap at the window's width; off: at the page's text width,
  // with horizontal scrolling.
  void SetWordWrap(bool on);
  bool ReadOnly() const { return input_.readOnly; }
  void SetReadOnly(bool on);
  bool Inserting() const { return input_.Inserting; }
  void SetInserting(bool on) { input_.Inserting = on; }
  bool WantTabs() const { return input_.wantTabs; }
  void SetWantTabs(bool on) { input_.wantTabs = on; }
  // The default character format a cleared document gets.
  const TEditorFont& Font() const { return files_.font; }
  void SetFont(const TEditorFont& font) { files_.font = font; }
  TToolLanguage Language() const { return language_; }
  void SetLanguage(TToolLanguage language) { language_ = language; }
  const TToolMessages& Messages() const { return ToolMessages(language_); }
  TScrollBars ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollBars bars);
  // The control's background colour (0x00BBGGRR); white by default.
  uint32_t Color() const { return files_.backgroundColor; }
  void SetColor(uint32_t color);

  // ---- operations ----------------------------------------------------------------
  // Empties the document and gives it Font as its default format.
  void Clear();
  // Loads a file: into an empty document it replaces the content, into a
  // non-empty one it goes in at the caret. Throws TFileOperationError
  // ("Cannot open file <path>") when the file cannot be read, leaving the
  // document as it was; TRichTextError when the text cannot be held.
  void LoadFromFile(const std::string& path);
  // Writes RTF for a path containing ".RTF" (any case), HTML for ".HTM",
  // else in the save format. Throws TFileOperationError ("Cannot create
  // file <path>").
  void SaveToFile(const std::string& path);
  // LoadFromFile and SaveToFile of an ".rtf" file, with the text in memory.
  void LoadFromText(std::string_view text, const std::string& pictureFolder);
  std::string SaveToRtfText() const { return files_.SaveToRtfText(); }
  bool IsTextEmpty() const { return doc_.IsEmpty(); }
  void GotoStart();
  // Requests a repaint unless the document is locked for an update.
  void Invalidate();
  // Paints the visible part now.
  void Paint();
  // Types TEXT at the caret when the editor can be edited; focuses the
  // editor when it is visible and enabled.
  void InsertText(std::string_view text);
  TCharAttr CurrentAttributes() { return input_.typingAttr; }
  int InternFont(std::string_view name) { return files_.InternFont(name); }
  uint32_t PaletteColor(int index) const { return files_.PaletteColor(index); }
  // Makes ATTR the format for typing and applies it to the selection.
  void SetCurrentAttributes(const TCharAttr& attr);
  bool CanEdit() const;
  void Changed();
  // A new empty paragraph with a page break before it, after the caret's
  // paragraph; the caret moves into it.
  void InsertPageBreak();
  // Twips, on every paragraph of the selection or the caret's paragraph.
  void SetParagraphSpacing(int spaceBefore, int lineSpacing, int spaceAfter);
  void SetParagraphIndents(int firstIndent, int leftIndent, int rightIndent);
  // Lays the whole document out again, repaints, shows the caret.
  void Reformat();

  // ---- the spell check's word walk (finder positions) ---------------------------------
  // The next word starts the document's first word; forgets a selected word.
  void RestartWordWalk();
  // The next word after the walk's place, or after the caret when a word was
  // selected since (so edits in between count); "" at the document's end.
  std::string NextWord();
  // Selects the word NextWord returned, the caret at its end, in view.
  void SelectFoundWord();
  // Replaces the selection (or inserts at the caret) with TEXT in the format
  // of the selection's first character; the caret goes after it. False when
  // the editor cannot be edited or the text cannot be held. Raises no
  // change notification: the caller does.
  bool ReplaceSelection(std::string_view text);
  // Selects LENGTH characters from START; length 0 only places the caret.
  void SetSelection(int start, int length);
  int SelStart();
  int SelLength();

  // ---- spelling marks --------------------------------------------------------------------
  // A red wavy underline under each word the checker does not know, on
  // screen only; null turns the marks off.
  void SetSpellingChecker(TSpellingChecker* checker);
  TSpellingMarks& SpellingMarks() { return spellingMarks_; }
  // The dictionaries changed: looks every word up again and repaints.
  void RecheckSpelling();
  // Searches from the document's start (or end, backward) with the find
  // finder's options; selects a match.
  bool FindText(std::string_view text, bool backward);

  // The application's Find and Replace dialogs, acting on this editor.
  void ShowFindDialog();
  void ShowReplaceDialog();
  // What the Find and Replace dialogs act on.
  TFindTarget& FindTarget();

  // ---- commands of the linked toolbar and ruler ----------------------------------
  // Changes the typing format and every character of the selection through
  // CHANGE, so that one command touches only the fields it is about.
  void ChangeCharacterFormat(const std::function<void(TCharAttr&)>& change);
  // Changes every paragraph of the selection, or the caret's, and lays them
  // out again.
  void ChangeParagraphs(const std::function<void(TParagraph&)>& change);
  // The caret's paragraph.
  TParagraph* CaretParagraph() { return input_.CursorPos().paragraph; }
  // The clipboard commands; false when they did nothing.
  bool CopyToClipboard();
  bool CutToClipboard();
  bool PasteFromClipboard();

  // Between these two the control neither paints nor lays out on its own.
  void BeginUpdate();
  void EndUpdate();
  bool Locked() const { return lockCount_ > 0; }

  // ---- geometry, for tests and the chrome -------------------------------------------
  // The caret's box in viewport coordinates.
  QRect CaretRect();
  // The place under a viewport point.
  TTextPos PositionAt(const QPoint& viewportPoint, bool* atLineEnd = nullptr);
  // Scrolls so that the caret is visible.
  void EnsureCaretVisible();

 signals:
  // The caret's typing format or paragraph changed (toolbar and ruler).
  void CaretFormatChanged();
  // Text became selected or no longer is (the toolbar's Copy and Cut).
  void EditStateChanged();

 protected:
  friend class TRichTextFindTarget;
  bool event(QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // What the view looked like before a command, to repaint only what the
  // command changed.
  struct ViewState {
    QRect caret;
    bool selection = false;
    int documentHeight = 0;
    int paragraphs = 0;
  };
  ViewState Snapshot();
  // After a command: lays out what the edit marked, keeps the scroll bars
  // and the caret in step and repaints what changed.
  void AfterCommand(const ViewState& before, bool edited);
  // Characters typed by a key or an input method.
  bool TypeCharacters(const std::string& chars);
  void HandleKey(QKeyEvent* event);
  // Runs an event's work; an edit the document refuses is reported and the
  // view laid out again, so no half-done edit stays on screen.
  template <typename F>
  void Guarded(F&& work);
  // The context menu's clipboard and history commands.
  void MenuCommand(TKey key, TModifiers modifiers, bool notify);
  void SyncViewToInput();
  void UpdateScrollBars();
  void UpdateResolution();
  void UpdateWindowWidth();
  void RelayoutAndRepaint();
  void RestartCaretBlink();
  void NoteCaretFormat();
  // Paragraphs from the selection's first to its last, or the caret's.
  template <typename F>
  void Load(F&& read);
  template <typename F>
  bool ForSelectedParagraphs(F&& change);
  void ParagraphsChanged();
  int ParagraphCount() const;
  void SelectWordAt(const TTextPos& pos);
  bool ReplaceRange(TTextPos start, TTextPos end, std::string_view text);
  // The marked word under the mouse (or the caret): suggestions, Add to
  // Dictionary and Ignore All at the top of the context menu.
  void AddSpellingEntries(QMenu& menu, const TTextPos& at);

  TRTFText doc_;
  TQtFontMetrics fonts_;
  TPictureCache pictures_;
  TRTFTextPaint paint_;
  TPaintInputLayout inputLayout_;
  TRichClipboardPort clipboard_;
  TRTFTextInput input_;
  TTextFinder wordFinder_;
  TTextFinder findFinder_;
  TRichTextFiles files_;
  std::unique_ptr<TRichTextFindTarget> findTarget_;
  TSpellingMarks spellingMarks_;
  bool wordSelected_ = false;  // the word walk goes on from the caret

  TToolLanguage language_ = tlEnglish;
  TScrollBars scrollBars_ = ssBoth;
  int lockCount_ = 0;
  QTimer caretTimer_;
  bool caretShown_ = true;
  bool selecting_ = false;  // a mouse button is down and dragging selects
  TTextPos mouseAnchor_;
  // The format and paragraph the chrome was last told of.
  TCharAttr shownAttr_{};
  const TParagraph* shownParagraph_ = nullptr;
  uint64_t shownGeneration_ = 0;
};

}  // namespace quill
