#pragma once
// The main window: the diary page between the toolbar and the action bar,
// the menus, and the two states (locked behind the password panel, or open).

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/diary_store.h"
#include "app/recovery_copy.h"
#include "dates/date_keys.h"
#include "richtext/widget/spelling_marks.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QTimer;
class QToolButton;

namespace quill {

class TDefaultFontDialog;
class TFormatToolBar;
class TLineShape;
class TPrivacyPanel;
class TRichText;
class TRingPanel;
class TRuler;
class TSplashform;

struct MainScreenSetup {
    std::string diaryFolder;  // the user's files, with a trailing "/"
    QString programFolder;    // program data beside the executable, trailing "/"
    TSplashform* splash = nullptr;  // released on the first activation
};

// Top-left corner of a 610 x 450 window on a screen of the given size.
QPoint InitialWindowPosition(const QSize& screen, const QSize& window = QSize(610, 450));
// The geometry a maximised window is clamped to within the work area: the
// height when it is too tall, else the width when it is too wide.
QRect ClampMaximizedGeometry(const QRect& window, const QRect& workArea);

class TMainScreen : public QMainWindow {
    Q_OBJECT
public:
    TMainScreen(MainScreenSetup setup, std::unique_ptr<DiaryStore> store,
                QWidget* parent = nullptr);
    ~TMainScreen() override;

    // True when the table failed to open at start and the user chose to end.
    bool ClosedAtStart() const { return closedAtStart_; }
    bool Locked() const { return locked_; }
    bool TableOpen() const { return tableOpen_; }
    DiaryStore* Store() { return store_.get(); }

    void FormCreate();
    void FormActivate();
    bool FormClose();  // asks "Exit program?"; true for Yes
    void LoadPreferences();
    bool SavePreferences();  // false when "QB.INI" could not be written (reported)
    void HideAllThings(bool locked);
    void FormResize();
    void ClampMaximizedWindow();
    void SetDateCaption();
    void FindDateRecord();

    void exit1Click();
    void HideButtonClick();
    void Contents1Click();
    void About1Click();
    void mnuDefaultFontClick();
    // The entry editor's Find and Replace dialogs.
    void mnuFindClick();
    void Replace1Click();
    void BitBtn1Accepted(const std::string& password);

    // The editing cycle: the current day's page between the table and the
    // entry editor.
    // Shows the stored page of CurrentDate (an empty page in the default
    // font for a day without entry).
    void LoadRichText();
    // Stores the editor's page as the day's entry (update, new record or
    // removal); false when the write failed (reported, nothing lost).
    bool SaveRichText();
    // Saves a pending edit and reloads; true when no edit is pending after
    // it, so that the command that asked may go on.
    bool SaveButtonClick();
    void CancelButtonClick();
    // The entry editor's change notification: an edit is now pending.
    void RichText1Change();
    // Raises the notification for the keys that change the text without
    // the editor raising it itself.
    void RichText1KeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void SetDefaultFontNow();
    bool EditPending() const;
    // Saves a pending edit without asking, as the desktop ends the session.
    void SaveForSessionEnd();
    // The pending page's recovery copy, written now rather than after the
    // typing pause.
    void WriteRecoveryCopy();
    RecoveryCopy& Recovery() { return recovery_; }

    // Commands.
    void NextButtonClick();
    void PriorButtonClick();
    void FirstButtonClick();
    void LastButtonClick();
    void CalendarButtonClick();
    void EnterDate1Click();
    void mnuWrapTexttofitScreenClick();
    void DocWordWrapButtonClick();
    void DocPageBreakButtonClick();
    void ParagraphSetupButtonClick();
    // The print menu and "Print Setup" (main_screen_print.cpp).
    void PrintcurrentEntryOnlyClick();
    void PrintCurrentEntryForwardMergedClick();
    void PrintCurrentEntryForwardSeperatePagesClick();
    void PrintSetup1Click();
    // Runs a print job on the table; the table is left wherever the job
    // left it, for the caller to find the current day again.
    void PrintReport(const QString& mode);
    // The printer that "Print Setup" sets up and the print jobs print on.
    QPrinter& SystemPrinter();
    void mnuSecurityClick();
    void RebuildIndexes1Click();
    void mnuFindentrycontainingClick(); void mnuFindNextBigClick();  // main_screen_search.cpp

    // Where the dialogs of other parts of the program plug in. The date
    // dialog answers the chosen day, or nothing when cancelled; without it
    // "&Date" stays disabled. Without its hook the rebuild command saves
    // the pending edit and stops there.
    void SetDateDialog(std::function<std::optional<Date>(Date start)> dialog);
    std::function<void()> RebuildDialog;
    // How many printers the print commands see; unset, the system's
    // printers and PDF output count.
    std::function<int()> PrinterCount;
    // Today, for the start page and Insert Today's Date.
    std::function<Date()> Clock = [] { return Today(); };
    // How long typing must pause before the recovery copy is written.
    void SetRecoveryDelay(int milliseconds);

    // Spelling: the dialog on the page, and the marks under unknown words.
    void SpellCheck1Click();
    void mnuMarkSpellingErrorsClick();

    QString PreferencesPath() const;
    QString HelpFile() const { return helpFile_; }
    const std::string& StoredPasswordValue() const { return storedPassword_; }

    // Main window state.
    Date CurrentDate;
    bool EntryExists = false;
    std::string DiaryPassword;  // plain text, known once the gate is passed
    std::string DefFontName = "Arial";
    int DefFontSize = 10;
    bool DefFontBold = false;
    bool DefFontItalic = false;
    bool DefFontUnderline = false;
    std::uint32_t DefFontColor = 0;
    std::string SearchText;
    bool SearchFound = false;

    // Controls.
    QFrame* ToolbarPanel;
    TFormatToolBar* FormatToolBar2;
    QToolButton* DocPageBreakButton = nullptr;
    QToolButton* ParagraphSetupButton = nullptr;
    QToolButton* DocWordWrapButton = nullptr;
    TRuler* Ruler1;
    TRingPanel* RingPanel1;
    QLabel* DateLabel;
    TLineShape* TopLine;
    TLineShape* BottomLine;
    TRichText* RichText1;
    TRichText* RichTextAllPurpose;
    TPrivacyPanel* PrivacyPanel;
    QFrame* ActionPanel;
    QPushButton* SaveButton;
    QPushButton* CancelButton;
    QPushButton* FirstButton;
    QPushButton* PriorButton;
    QPushButton* CalendarButton;
    QPushButton* Nextbutton;
    QPushButton* LastButton;
    QPushButton* Hidebutton;
    QPushButton* ExplorerButton1;
    TDefaultFontDialog* DefaultFontdialog;

    // Menus.
    QMenu* mnuFile;
    QMenu* mnuEdit;
    QMenu* mnuUtilities;
    QMenu* mnuHelp;
    QAction* mnuSecurity;
    QAction* RebuildIndexes1;
    QAction* PrintSetup1;
    QMenu* Print1;
    QAction* PrintcurrentEntryOnly;
    QAction* PrintCurrentEntryForwardMerged;
    QAction* PrintCurrentEntryForwardSeperatePages;
    QAction* exit1;
    QAction* mnuFind;
    QAction* Replace1;
    QAction* SpellCheck1;
    QAction* mnuMarkSpellingErrors = nullptr;  // checked: marks shown
    QAction* EnterDate1;
    QAction* mnuWrapTexttofitScreen;
    QAction* mnuDefaultFont;
    QAction* mnuFindentrycontaining;
    QAction* mnuFindNextBig;
    QAction* Contents1;
    QAction* About1;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenus();
    void ConnectPrintCommands();
    // A print menu item: save, print MODE's job, show the current day again.
    void RunPrintCommand(const QString& mode);
    void BuildControls();
    void BuildEditors();
    void BuildSpellCommands();
    void ApplySpellingMarks(bool on);
    void AddToolbarButtons();
    void ApplyFontToDialog();
    void OpenTodaysPage();
    void ReleaseSplash();
    void WireCommands();
    // Enables or disables a menu item; while the window is locked the state
    // is kept aside for unlocking, which would otherwise undo it.
    static void SetCommandEnabled(QAction* action, bool enabled);
    void WireDateCommands(); void WireSearchCommands(); void RunSearchStep(bool fromFirst, const std::string& text);
    void WordWrapToggle();
    void MoveToDay(Date day);
    void OfferRecoveryCopy();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // The top-level menu whose mnemonic the key is, when it is enabled.
    QAction* MenuForMnemonic(int key, Qt::KeyboardModifiers modifiers) const;
    std::string PasswordValueToStore();
    // Password commands (main_screen_security.cpp).
    bool PasswordNeeded();
    bool GateAccepts(const std::string& typed);
    void SecureAfterUnlock();
    void EnableSecurityCommand();

    MainScreenSetup setup_;
    std::unique_ptr<DiaryStore> store_;
    QPointer<TSplashform> splash_;
    bool splashReleased_ = false;
    bool closedAtStart_ = false;
    bool locked_ = false;
    bool tableOpen_ = false;
    std::string storedPassword_;  // "Security"/"Password" as last read or written
    QString helpFile_;
    std::unique_ptr<QPrinter> printer_;
    RecoveryCopy recovery_;
    QTimer* recoveryTimer_ = nullptr;
    int recoveryDelay_ = 3000;  // typing pauses this long before the copy is written
    std::function<std::optional<Date>(Date)> dateDialog_;
    std::unique_ptr<TSpellingChecker> spellingChecker_;  // while marks are on
};

// "QB.INI": whether spelling errors are marked, in a section of its own.
inline constexpr const char* kSpellingSection = "Spelling";
inline constexpr const char* kMarkSpellingErrorsKey = "MarkSpellingErrors";

}  // namespace quill
