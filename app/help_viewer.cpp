#include "app/help_viewer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/message_boxes.h"

namespace quill {

namespace {

// Large enough to read a topic without scrolling sideways.
constexpr int kHelpWidth = 640;
constexpr int kHelpHeight = 520;

QPointer<QDialog> helpWindow;

// The folder as the user knows it: under the home folder with "~".
QString FolderAsShown(QString folder) {
    if (!folder.endsWith('/')) folder += '/';
    const QString home = QDir::homePath() + '/';
    if (home.size() > 1 && folder.startsWith(home)) return "~/" + folder.mid(home.size());
    return folder;
}

QDialog* MakeHelpWindow(QWidget* parent) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName("HelpWindow");
    dialog->setWindowTitle("Quillbook Help");
    // It stays open beside the diary: the user reads and writes at once.
    dialog->setModal(false);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* browser = new QTextBrowser(dialog);
    browser->setObjectName("HelpBrowser");
    browser->setOpenExternalLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto* column = new QVBoxLayout(dialog);
    column->addWidget(browser);
    column->addWidget(buttons);
    dialog->resize(kHelpWidth, kHelpHeight);
    // Centred over the main window at its own size (centring must not
    // shrink it to the layout's minimum).
    if (parent) {
        const QRect main = parent->window()->frameGeometry();
        dialog->move(CenteredPosition(main, QSize(kHelpWidth, kHelpHeight)));
    }
    return dialog;
}

}  // namespace

QString HelpTopicAnchor(int topic) { return QString("topic%1").arg(topic); }

QDialog* OpenHelpWindow() { return helpWindow; }

bool ShowHelpTopic(QWidget* parent, const QString& helpFile, int topic, const QString& diaryFolder) {
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowInformation(QString("Cannot open file %1").arg(helpFile));
        return false;
    }
    QString html = QString::fromUtf8(file.readAll());
    if (!diaryFolder.isEmpty())
        html.replace(QString(kHelpTextDiaryFolder), FolderAsShown(diaryFolder).toHtmlEscaped());

    if (!helpWindow) helpWindow = MakeHelpWindow(parent);
    auto* browser = helpWindow->findChild<QTextBrowser*>("HelpBrowser");
    browser->setHtml(html);
    browser->document()->setMetaInformation(QTextDocument::DocumentUrl,
                                            QUrl::fromLocalFile(helpFile).toString());
    browser->scrollToAnchor(HelpTopicAnchor(topic));
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
    return true;
}

}  // namespace quill
