#include "app/help_viewer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/message_boxes.h"

namespace quill {

QString HelpTopicAnchor(int topic) { return QString("topic%1").arg(topic); }

bool ShowHelpTopic(QWidget* parent, const QString& helpFile, int topic) {
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowInformation(QString("Cannot open file %1").arg(helpFile));
        return false;
    }
    file.close();

    QDialog dialog(parent);
    dialog.setObjectName("HelpWindow");
    dialog.setWindowTitle("Quillbook Help");
    dialog.resize(560, 480);
    auto* browser = new QTextBrowser(&dialog);
    browser->setObjectName("HelpBrowser");
    browser->setOpenExternalLinks(false);
    // The file name has no .html ending, so the type is given.
    browser->setSource(QUrl::fromLocalFile(helpFile), QTextDocument::HtmlResource);
    browser->scrollToAnchor(HelpTopicAnchor(topic));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(browser);
    column->addWidget(buttons);
    CenterOverMainWindow(&dialog);
    dialog.exec();
    return true;
}

}  // namespace quill
