// The main window's spelling commands: "&Spell Check" opens the dialog on
// the page, and "Mark Spelling Errors" turns the red underlines under
// unknown words on and off, remembered in "QB.INI".

#include <QAction>
#include <QMenu>

#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "app/private_profile.h"
#include "richtext/widget/rich_text.h"
#include "spell/dialog/engine_spelling_checker.h"
#include "spell/dialog/spell_check_dialog.h"

namespace quill {

void TMainScreen::BuildSpellCommands() {
    SpellCheck1->setEnabled(true);
    connect(SpellCheck1, &QAction::triggered, this, [this] { SpellCheck1Click(); });

    mnuMarkSpellingErrors = new QAction("Mark Spelling Errors", mnuEdit);
    mnuMarkSpellingErrors->setObjectName("mnuMarkSpellingErrors");
    mnuMarkSpellingErrors->setCheckable(true);
    mnuEdit->insertAction(EnterDate1, mnuMarkSpellingErrors);
    const bool on = ReadProfileInteger(PreferencesPath().toStdString(), kSpellingSection,
                                       kMarkSpellingErrorsKey, 1) != 0;
    mnuMarkSpellingErrors->setChecked(on);
    ApplySpellingMarks(on);
    connect(mnuMarkSpellingErrors, &QAction::triggered, this, [this] { mnuMarkSpellingErrorsClick(); });
}

void TMainScreen::ApplySpellingMarks(bool on) {
    if (on && !spellingChecker_) {
        spellingChecker_ = std::make_unique<TEngineSpellingChecker>(
            setup_.programFolder.toStdString(), setup_.diaryFolder);
    }
    RichText1->SetSpellingChecker(on ? spellingChecker_.get() : nullptr);
    if (!on) spellingChecker_.reset();
}

void TMainScreen::mnuMarkSpellingErrorsClick() {
    const bool on = mnuMarkSpellingErrors->isChecked();
    ApplySpellingMarks(on);
    try {
        WriteProfileString(PreferencesPath().toStdString(), kSpellingSection, kMarkSpellingErrorsKey,
                           on ? "1" : "0");
    } catch (const std::exception& e) {
        ShowInformation(QString::fromStdString(e.what()));
    }
}

void TMainScreen::SpellCheck1Click() {
    {
        TSpellCheckDialog dialog(RichText1, setup_.programFolder.toStdString(), setup_.diaryFolder, this);
        dialog.ShowInformation = [](const QString& text) { ShowInformation(text); };
        CenterOverMainWindow(&dialog);
        dialog.exec();
    }
    // Words the dialog added are known to the marks too.
    RichText1->RecheckSpelling();
}

}  // namespace quill
