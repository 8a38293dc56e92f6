#include "app/main_screen.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/action_button.h"
#include "app/default_font_dialog.h"
#include "app/help_viewer.h"
#include "app/line_shape.h"
#include "app/locale_dates.h"
#include "app/message_boxes.h"
#include "app/preferences_file.h"
#include "app/ring_panel.h"
#include "app/splash_form.h"
#include "dates/date_text.h"
#include "privacy/password_scramble.h"
#include "privacy/password_verifier.h"
#include "privacy/privacy_panel.h"
#include "richtext/widget/format_toolbar.h"
#include "richtext/widget/rich_text.h"
#include "richtext/widget/ruler.h"

namespace quill {

namespace {

constexpr int kWindowWidth = 610;
constexpr int kWindowHeight = 450;
// Property that keeps a menu item's own enabled state while the window is
// locked, so unlocking gives back exactly what was there.
constexpr const char* kOpenEnabled = "quillOpenEnabled";

QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

// An item whose command comes with a later part of the program: present in
// the menu, but disabled so it never seems to work.
QAction* AddLaterItem(QMenu* menu, const char* name, const QString& caption,
                      const QKeySequence& shortcut = {}) {
    QAction* a = AddItem(menu, name, caption, shortcut);
    a->setEnabled(false);
    return a;
}

void LockActions(QMenu* menu, bool locked) {
    for (QAction* a : menu->actions()) {
        if (a->menu()) LockActions(a->menu(), locked);
        if (a->isSeparator()) continue;
        if (locked) {
            if (!a->property(kOpenEnabled).isValid()) a->setProperty(kOpenEnabled, a->isEnabled());
            a->setEnabled(false);
        } else if (a->property(kOpenEnabled).isValid()) {
            a->setEnabled(a->property(kOpenEnabled).toBool());
            a->setProperty(kOpenEnabled, QVariant());
        }
    }
    menu->menuAction()->setEnabled(!locked);
}

}  // namespace

void TMainScreen::SetCommandEnabled(QAction* action, bool enabled) {
    if (action->property(kOpenEnabled).isValid())
        action->setProperty(kOpenEnabled, enabled);
    else
        action->setEnabled(enabled);
}

namespace {

QPushButton* ActionButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new TActionButton(caption, parent);
    b->setObjectName(name);
    b->setMinimumWidth(52);
    return b;
}

// Small drawn icons for the three page buttons of the toolbar.
QIcon PageBreakIcon() {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(4, 1, 12, 6);
    p.drawRect(4, 12, 12, 6);
    p.setPen(QPen(Qt::blue, 1, Qt::DashLine));
    p.drawLine(1, 9, 19, 9);
    return QIcon(pm);
}

QIcon ParagraphIcon() {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f("Arial");
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QString(QChar(0x00B6)));
    return QIcon(pm);
}

QIcon WordWrapIcon() {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.4));
    p.drawLine(2, 4, 17, 4);
    p.drawLine(2, 9, 14, 9);
    p.drawArc(QRect(10, 9, 7, 6), 90 * 16, -180 * 16);
    p.drawLine(13, 15, 6, 15);
    p.drawLine(6, 15, 8, 13);
    p.drawLine(6, 15, 8, 17);
    return QIcon(pm);
}

}  // namespace

QPoint InitialWindowPosition(const QSize& screen, const QSize& window) {
    if (screen.width() == 640 && screen.height() == 480) return {0, 0};
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

QRect ClampMaximizedGeometry(const QRect& window, const QRect& workArea) {
    QRect r = window;
    if (workArea.height() < window.height()) {
        r.setHeight(workArea.height());
        r.moveTop(0);
    } else if (workArea.width() < window.width()) {
        r.setWidth(workArea.width());
        r.moveLeft(0);
    }
    return r;
}

TMainScreen::TMainScreen(MainScreenSetup setup, std::unique_ptr<DiaryStore> store, QWidget* parent)
    : QMainWindow(parent), setup_(std::move(setup)), store_(std::move(store)),
      splash_(setup_.splash), recovery_(setup_.diaryFolder) {
    setObjectName("MainScreen");
    setWindowTitle("Quillbook");
    DefaultFontdialog = new TDefaultFontDialog(this);
    BuildMenus();
    ConnectPrintCommands();
    BuildControls();
    BuildSpellCommands();
    SetMainWindowForDialogs(this);
    // Key preview: the window sees every key before its controls do.
    qApp->installEventFilter(this);
    FormCreate();
    WireDateCommands();
    WireSearchCommands();
}

TMainScreen::~TMainScreen() {
    qApp->removeEventFilter(this);
    RichText1->SetSpellingChecker(nullptr);  // the checker goes before the editor
}

void TMainScreen::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    mnuFile = bar->addMenu("&File");
    mnuFile->setObjectName("File1");
    mnuSecurity = AddLaterItem(mnuFile, "mnuSecurity", "Select or Change Password");
    mnuFile->addSeparator();
    RebuildIndexes1 = AddLaterItem(mnuFile, "RebuildIndexes1", "Rebuild Indexes (do this often!)");
    mnuFile->addSeparator();
    PrintSetup1 = AddLaterItem(mnuFile, "PrintSetup1", "Print Setup");
    Print1 = mnuFile->addMenu("Print");
    Print1->setObjectName("Print1");
    PrintcurrentEntryOnly =
        AddLaterItem(Print1, "PrintcurrentEntryOnly", "Print Current Entry Only");
    PrintCurrentEntryForwardMerged = AddLaterItem(Print1, "PrintCurrentEntryForwardMerged",
                                                  "Print From Current Entry Forward - Merged");
    PrintCurrentEntryForwardSeperatePages =
        AddLaterItem(Print1, "PrintCurrentEntryForwardSeperatePages",
                     "Print From Current Entry Forward - Separate Pages");
    mnuFile->addSeparator();
    exit1 = AddItem(mnuFile, "exit1", "E&xit");
    connect(exit1, &QAction::triggered, this, [this] { exit1Click(); });

    mnuEdit = bar->addMenu("&Edit");
    mnuEdit->setObjectName("Edit1");
    mnuFind = AddItem(mnuEdit, "mnuFind", "&Find", QKeySequence("Ctrl+F"));
    connect(mnuFind, &QAction::triggered, this, [this] { mnuFindClick(); });
    Replace1 = AddItem(mnuEdit, "Replace1", "&Replace", QKeySequence("Ctrl+R"));
    connect(Replace1, &QAction::triggered, this, [this] { Replace1Click(); });
    mnuEdit->addSeparator();
    SpellCheck1 = AddLaterItem(mnuEdit, "SpellCheck1", "&Spell Check", QKeySequence("Ctrl+S"));
    EnterDate1 =
        AddLaterItem(mnuEdit, "EnterDate1", "Insert Today's &Date ", QKeySequence("Ctrl+D"));
    mnuEdit->addSeparator();
    mnuWrapTexttofitScreen =
        AddLaterItem(mnuEdit, "mnuWrapTexttofitScreen", "&Wrap Text to fit Screen");
    mnuWrapTexttofitScreen->setCheckable(true);
    mnuWrapTexttofitScreen->setChecked(true);
    mnuEdit->addSeparator();
    mnuDefaultFont = AddItem(mnuEdit, "mnuDefaultFont", "Default Font");
    connect(mnuDefaultFont, &QAction::triggered, this, [this] { mnuDefaultFontClick(); });

    mnuUtilities = bar->addMenu("&Utilities");
    mnuUtilities->setObjectName("Utilities1");
    mnuFindentrycontaining = AddLaterItem(mnuUtilities, "mnuFindentrycontaining",
                                          "Find entry containing...", QKeySequence("Ctrl+F4"));
    mnuFindNextBig =
        AddLaterItem(mnuUtilities, "mnuFindNextBig", "Find Next Entry", QKeySequence("Ctrl+F5"));

    mnuHelp = bar->addMenu("&Help");
    mnuHelp->setObjectName("Help1");
    Contents1 = AddItem(mnuHelp, "Contents1", "Contents", QKeySequence(Qt::Key_F1));
    connect(Contents1, &QAction::triggered, this, [this] { Contents1Click(); });
    mnuHelp->addSeparator();
    About1 = AddItem(mnuHelp, "About1", "About");
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TMainScreen::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("ClientArea");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    ToolbarPanel = new QFrame(central);
    ToolbarPanel->setObjectName("ToolbarPanel");
    ToolbarPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* toolbarRow = new QHBoxLayout(ToolbarPanel);
    toolbarRow->setContentsMargins(2, 1, 2, 1);
    FormatToolBar2 = new TFormatToolBar(ToolbarPanel);
    FormatToolBar2->setObjectName("FormatToolBar2");
    toolbarRow->addWidget(FormatToolBar2);
    toolbarRow->addStretch();
    column->addWidget(ToolbarPanel);

    Ruler1 = new TRuler(central);
    Ruler1->setObjectName("Ruler1");
    column->addWidget(Ruler1);

    RingPanel1 = new TRingPanel(central);
    column->addWidget(RingPanel1, 1);
    connect(RingPanel1, &TRingPanel::Resized, this, [this] { FormResize(); });

    DateLabel = new QLabel(RingPanel1);
    DateLabel->setObjectName("DateLabel");
    QFont dateFont("Arial");
    dateFont.setPixelSize(16);
    dateFont.setBold(true);
    dateFont.setItalic(true);
    DateLabel->setFont(dateFont);
    QPalette purple = DateLabel->palette();
    purple.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x80));
    DateLabel->setPalette(purple);

    TopLine = new TLineShape(RingPanel1);
    TopLine->setObjectName("TopLine");
    BottomLine = new TLineShape(RingPanel1);
    BottomLine->setObjectName("BottomLine");

    BuildEditors();
    FormatToolBar2->SetEditor(RichText1);
    Ruler1->SetEditor(RichText1);

    PrivacyPanel = new TPrivacyPanel(RingPanel1);
    PrivacyPanel->hide();
    QPalette white = PrivacyPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    PrivacyPanel->setPalette(white);
    PrivacyPanel->SetPasswordCheck([this](const std::string& typed) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        bool ok = false;
        try {
            ok = GateAccepts(typed);
        } catch (const std::exception&) {
            ok = false;
        }
        QApplication::restoreOverrideCursor();
        return ok;
    });
    connect(PrivacyPanel, &TPrivacyPanel::PasswordAccepted, this,
            [this](const std::string& password) { BitBtn1Accepted(password); });
    connect(PrivacyPanel, &TPrivacyPanel::PasswordRejected, this,
            [] { ShowInformation(kWrongPasswordMessage); });
    connect(PrivacyPanel, &TPrivacyPanel::CloseRequested, this, [this] { close(); });

    ActionPanel = new QFrame(central);
    ActionPanel->setObjectName("ActionPanel");
    ActionPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* actions = new QHBoxLayout(ActionPanel);
    actions->setContentsMargins(4, 2, 4, 2);
    actions->setSpacing(2);
    SaveButton = ActionButton(ActionPanel, "SaveButton", "&Save");
    CancelButton = ActionButton(ActionPanel, "CancelButton", "&Cancel");
    FirstButton = ActionButton(ActionPanel, "FirstButton", "&First");
    PriorButton = ActionButton(ActionPanel, "PriorButton", "&Prev");
    CalendarButton = ActionButton(ActionPanel, "CalendarButton", "&Date");
    Nextbutton = ActionButton(ActionPanel, "Nextbutton", "&Next");
    LastButton = ActionButton(ActionPanel, "LastButton", "&Last");
    Hidebutton = ActionButton(ActionPanel, "Hidebutton", "&Hide");
    ExplorerButton1 = ActionButton(ActionPanel, "ExplorerButton1", "E&xit");
    SaveButton->hide();
    CancelButton->hide();
    actions->addWidget(SaveButton);
    actions->addWidget(CancelButton);
    actions->addStretch(1);
    for (QPushButton* b : {FirstButton, PriorButton, CalendarButton, Nextbutton, LastButton})
        actions->addWidget(b);
    actions->addStretch(1);
    actions->addWidget(Hidebutton);
    actions->addWidget(ExplorerButton1);
    column->addWidget(ActionPanel);
    connect(Hidebutton, &QPushButton::clicked, this, [this] { HideButtonClick(); });
    connect(ExplorerButton1, &QPushButton::clicked, this, [this] { exit1Click(); });

    setCentralWidget(central);
}

void TMainScreen::BuildEditors() {
    // The entry editor: a white page without a border, wrapping at the
    // window, taking tabs as text, inserting, in Arial 8 points black.
    TEditorFont font;
    font.name = "Arial";
    font.size = 8;
    font.color = 0;
    font.style = 0;
    RichText1 = new TRichText(RingPanel1);
    RichText1->setObjectName("RichText1");
    RichText1->SetColor(0xFFFFFF);
    RichText1->SetScrollBars(ssBoth);
    RichText1->SetReadOnly(false);
    RichText1->SetWordWrap(true);
    RichText1->SetInserting(true);
    RichText1->SetWantTabs(true);
    // Every other text of the program is English, so the editor's are too.
    RichText1->SetLanguage(tlEnglish);
    RichText1->SetFont(font);
    RichText1->Clear();
    RichText1->OnChange = [this] { RichText1Change(); };
    RichText1->OnKeyDown = [this](int& key, Qt::KeyboardModifiers m) { RichText1KeyDown(key, m); };

    // The hidden editor that searches and printing load entries into.
    RichTextAllPurpose = new TRichText(RingPanel1);
    RichTextAllPurpose->setObjectName("RichTextAllPurpose");
    RichTextAllPurpose->SetScrollBars(ssNone);
    RichTextAllPurpose->SetLanguage(tlEnglish);
    RichTextAllPurpose->SetFont(font);
    RichTextAllPurpose->Clear();
    RichTextAllPurpose->hide();
}

void TMainScreen::FormCreate() {
    // Dates in the user's language; short dates as "mm/dd/yyyy" everywhere.
    FillDateSettingsFromLocale(QLocale::system(), CurrentDateSettings());
    CurrentDateSettings().shortDateFormat = "mm/dd/yyyy";

    resize(kWindowWidth, kWindowHeight);
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QPoint at = InitialWindowPosition(s->geometry().size());
        move(s->geometry().topLeft() + at);
    }

    LoadPreferences();

    tableOpen_ = store_ && store_->OpenDiaryFile(setup_.diaryFolder);
    if (!tableOpen_) {
        // The splash stays on top of everything; it must not hide the boxes.
        ReleaseSplash();
        const std::string why = store_ ? store_->LastError() : std::string();
        ShowInformation(QString("The diary could not be opened or created in %1.%2")
                            .arg(QString::fromStdString(setup_.diaryFolder),
                                 why.empty() ? QString() : "\n\n" + QString::fromStdString(why)));
        if (FormClose()) {
            closedAtStart_ = true;
            return;
        }
    }

    if (tableOpen_) {
        const std::vector<std::string> notes = store_->OpenNotes();
        if (!notes.empty()) {
            // The diary opened, but the user must learn that a file was
            // damaged while the backups still hold a sound copy.
            ReleaseSplash();
            QString text = "The diary was opened, but some of its files were damaged:\n";
            for (const std::string& note : notes) text += "\n- " + QString::fromStdString(note);
            text += "\n\nSee \"Backups, and what to do when the diary is damaged\" in Help for what to do.";
            ShowInformation(text);
        }
    }

    if (tableOpen_) EnableSecurityCommand();
    HideAllThings(PasswordNeeded());
    AddToolbarButtons();

    // With a password the engine gets it, and today's page is looked up,
    // once the gate has been passed: until then the password is not known.
    helpFile_ = setup_.programFolder + kHelpFileName;
    WireCommands();
    if (!locked_) OpenTodaysPage();
}

void TMainScreen::AddToolbarButtons() {
    auto add = [this](const char* name, const QString& hint, const QIcon& icon) {
        auto* b = new QToolButton(FormatToolBar2);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setIcon(icon);
        b->setAutoRaise(true);
        // Page breaks, paragraph properties and wrapping act on the entry
        // editor and wait for it.
        b->setEnabled(false);
        FormatToolBar2->AddExtraButton(b);
        return b;
    };
    DocPageBreakButton = add("DocPageBreakButton", "Insert Page Break", PageBreakIcon());
    ParagraphSetupButton = add("ParagraphSetupButton", "Paragraph properties", ParagraphIcon());
    DocWordWrapButton =
        add("DocWordWrapButton",
            mnuWrapTexttofitScreen->isChecked() ? "Toggle word wrap off" : "Toggle word wrap on",
            WordWrapIcon());
}

void TMainScreen::OpenTodaysPage() {
    if (tableOpen_) store_->SetPassword(DiaryPassword);
    CurrentDate = Clock();
    EntryExists = false;
    FindDateRecord();
    LoadRichText();
    OfferRecoveryCopy();
}

void TMainScreen::FindDateRecord() {
    EntryExists = tableOpen_ && store_->FindDateRecord(CurrentDate);
    SetDateCaption();
}

void TMainScreen::SetDateCaption() {
    DateLabel->setText(QString::fromStdString(LongDateText(CurrentDate)));
}

void TMainScreen::FormActivate() {
    if (!isVisible()) show();
    if (locked_) PrivacyPanel->Pass->setFocus();
    ReleaseSplash();
}

void TMainScreen::ReleaseSplash() {
    if (splashReleased_) return;
    splashReleased_ = true;
    if (splash_) {
        splash_->hide();
        splash_->deleteLater();
    }
    splash_ = nullptr;
}

void TMainScreen::mnuFindClick() { RichText1->ShowFindDialog(); }

void TMainScreen::Replace1Click() { RichText1->ShowReplaceDialog(); }

bool TMainScreen::FormClose() { return AskConfirmation("Exit program?"); }

void TMainScreen::closeEvent(QCloseEvent* event) {
    if (!FormClose()) {
        event->ignore();
        return;
    }
    // Whatever asked for the close, a confirmed close keeps the page being
    // written, as "E&xit" does. When the save fails the user has been told
    // and the window stays, with the edit still pending.
    if (!SaveButtonClick()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TMainScreen::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QMainWindow::event(e);
}

void TMainScreen::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Without a window manager the window may never be activated; once the
    // main window is on screen the splash has done its work anyway.
    QMetaObject::invokeMethod(this, [this] { ReleaseSplash(); }, Qt::QueuedConnection);
}

QAction* TMainScreen::MenuForMnemonic(int key, Qt::KeyboardModifiers modifiers) const {
    if ((modifiers & ~Qt::KeypadModifier) != Qt::AltModifier || key < Qt::Key_A || key > Qt::Key_Z)
        return nullptr;
    for (QAction* menu : menuBar()->actions())
        if (menu->isEnabled() && QKeySequence::mnemonic(menu->text()) == QKeySequence(Qt::ALT | Qt::Key(key)))
            return menu;
    return nullptr;
}

bool TMainScreen::eventFilter(QObject* watched, QEvent* e) {
    const bool ours = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
    if (e->type() == QEvent::ShortcutOverride && ours) {
        // "&File" and "&First", "&Help" and "&Hide" share their letters; a
        // shared mnemonic does nothing at all. The menus take Alt+F and
        // Alt+H, so that every menu opens from the keyboard.
        auto* key = static_cast<QKeyEvent*>(e);
        if (MenuForMnemonic(key->key(), key->modifiers())) {
            key->accept();
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress && ours) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (FormKeyDown(key->key(), key->modifiers())) {
            key->accept();  // or the key would travel on to the parents
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

bool TMainScreen::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (QAction* menu = MenuForMnemonic(key, modifiers)) {
        menuBar()->setActiveAction(menu);
        return true;
    }
    if (key == Qt::Key_F10 && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // F10 opens the menu bar, as on every Linux desktop: the first menu
        // that is enabled (only "&Help" while the diary is locked).
        for (QAction* menu : menuBar()->actions()) {
            if (!menu->isEnabled()) continue;
            menuBar()->setActiveAction(menu);
            return true;
        }
        return false;
    }
    if ((modifiers & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
    QPushButton* target = nullptr;
    if (key == Qt::Key_PageDown) target = Nextbutton;
    if (key == Qt::Key_PageUp) target = PriorButton;
    if (!target || locked_ || !target->isEnabled()) return false;
    target->click();
    return true;
}

void TMainScreen::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ClampMaximizedWindow();
}

void TMainScreen::HideAllThings(bool locked) {
    locked_ = locked;
    PrivacyPanel->setVisible(locked);
    if (locked) {
        PrivacyPanel->raise();
        // Takes effect when the window becomes active, with or without a
        // window manager that activates it.
        PrivacyPanel->Pass->setFocus();
    }
    ActionPanel->setVisible(!locked);
    ToolbarPanel->setVisible(!locked);
    // The ruler stays in sight, but must not edit the page behind the gate.
    Ruler1->setEnabled(!locked);
    for (QMenu* m : {mnuFile, mnuEdit, mnuUtilities}) LockActions(m, locked);
    mnuHelp->menuAction()->setEnabled(true);
    FormResize();
}

void TMainScreen::FormResize() {
    ClampMaximizedWindow();
    const int L = RingPanel1->LeftEdge();
    const int R = RingPanel1->RightEdge();
    const int W = RingPanel1->width();
    const int H = RingPanel1->height();
    const int left = L + 15;
    const int width = W - (L + 15) - (R + 5);
    DateLabel->setGeometry(left, 8, width, 20);
    TopLine->setGeometry(left, 28, width, TopLine->height());
    BottomLine->setGeometry(left, H - 20, width, BottomLine->height());
    RichText1->setGeometry(left, 35, width, H - 35 - 22);
    // The panel covers the sheet inside the binding and the right edge.
    PrivacyPanel->setGeometry(L, 5, W - L - R, H - 10);
    RichText1->GotoStart();
}

void TMainScreen::ClampMaximizedWindow() {
    if (!isMaximized()) return;
    QScreen* s = screen();
    if (!s) return;
    const QRect now = frameGeometry();
    const QRect clamped = ClampMaximizedGeometry(now, s->availableGeometry());
    if (clamped != now) setGeometry(geometry().adjusted(clamped.left() - now.left(),
                                                        clamped.top() - now.top(),
                                                        clamped.right() - now.right(),
                                                        clamped.bottom() - now.bottom()));
}

QString TMainScreen::PreferencesPath() const {
    return QString::fromStdString(setup_.diaryFolder) + kPreferencesFileName;
}

void TMainScreen::LoadPreferences() {
    const StoredPreferences p = ReadPreferences(PreferencesPath().toStdString());
    storedPassword_ = p.password;
    if (storedPassword_.empty()) {
        DiaryPassword.clear();
    } else if (!IsPasswordVerifier(storedPassword_)) {
        // An older file's scrambled value: the password itself.
        DiaryPassword = Decryptstring(storedPassword_);
    }
    // A verifier holds no password; DiaryPassword stays what the gate or
    // the password set-up made it.
    DefFontName = p.font.name;
    DefFontSize = p.font.size;
    DefFontBold = p.font.bold;
    DefFontItalic = p.font.italic;
    DefFontUnderline = p.font.underline;
    DefFontColor = p.font.color;
    ApplyFontToDialog();
}

void TMainScreen::ApplyFontToDialog() {
    QFont& f = DefaultFontdialog->font;
    f.setFamily(QString::fromStdString(DefFontName.substr(0, 255)));
    if (DefFontSize > 0) f.setPointSize(DefFontSize);
    f.setBold(DefFontBold);
    f.setItalic(DefFontItalic);
    f.setUnderline(DefFontUnderline);
    DefaultFontdialog->color = DefFontColor;
}

std::string TMainScreen::PasswordValueToStore() {
    if (locked_) return storedPassword_;  // the password is not known yet
    if (DiaryPassword.empty()) return {};
    if (IsPasswordVerifier(storedPassword_) && StoredPasswordAccepts(storedPassword_, DiaryPassword))
        return storedPassword_;
    // No verifier yet for this password (an older file's scrambled value, or
    // a new password): make one.
    return MakePasswordVerifier(DiaryPassword);
}

bool TMainScreen::SavePreferences() {
    const std::string path = PreferencesPath().toStdString();
    try {
        const std::string password = PasswordValueToStore();
        WritePasswordPreference(path, password);
        storedPassword_ = password;
        const QFont& f = DefaultFontdialog->font;
        DefFontName = f.family().toStdString();
        DefFontSize = f.pointSize() > 0 ? f.pointSize() : DefFontSize;
        DefFontBold = f.bold();
        DefFontItalic = f.italic();
        DefFontUnderline = f.underline();
        DefFontColor = DefaultFontdialog->color;
        DefaultFontPreferences font;
        font.name = DefFontName;
        font.size = DefFontSize;
        font.bold = DefFontBold;
        font.italic = DefFontItalic;
        font.underline = DefFontUnderline;
        font.color = DefFontColor;
        WriteDefaultFontPreferences(path, font);
        ApplyFontToDialog();
        return true;
    } catch (const std::exception& e) {
        ShowInformation(QString::fromStdString(e.what()));
        return false;
    }
}

void TMainScreen::BitBtn1Accepted(const std::string& password) {
    DiaryPassword = password;
    SecureAfterUnlock();
    HideAllThings(false);
    OpenTodaysPage();
    RichText1->setFocus();
}

void TMainScreen::exit1Click() {
    if (!SaveButtonClick()) return;  // the failed save was reported
    close();
}

void TMainScreen::HideButtonClick() { showMinimized(); }

void TMainScreen::Contents1Click() {
    ShowHelpTopic(this, helpFile_, kHelpContentsTopic, QString::fromStdString(setup_.diaryFolder));
}

void TMainScreen::About1Click() {
    TSplashform about(this);
    about.OkButton->show();
    about.setWindowModality(Qt::ApplicationModal);
    about.CenterOnScreen();
    about.exec();
}

void TMainScreen::mnuDefaultFontClick() {
    LoadPreferences();
    if (DefaultFontdialog->Execute(this)) SavePreferences();
}

}  // namespace quill
