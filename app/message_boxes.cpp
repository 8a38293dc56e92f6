#include "app/message_boxes.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace quill {

namespace {
AskBoxHandler& Handler() {
    static AskBoxHandler handler;
    return handler;
}
QPointer<QWidget>& MainWindowForDialogs() {
    static QPointer<QWidget> window;
    return window;
}
}  // namespace

void SetAskBoxHandler(AskBoxHandler handler) { Handler() = std::move(handler); }

QMessageBox::StandardButton AskBox(const QString& text, const QString& caption,
                                   QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
    if (Handler()) return Handler()(text, caption, buttons, icon);
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowInformation(const QString& text) {
    AskBox(text, "Information", QMessageBox::Ok, QMessageBox::Information);
}

bool AskConfirmation(const QString& text) {
    return AskBox(text, "Confirm", QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) ==
           QMessageBox::Yes;
}

void SetMainWindowForDialogs(QWidget* mainWindow) { MainWindowForDialogs() = mainWindow; }

QPoint CenteredPosition(const QRect& mainFrame, const QSize& dialogSize) {
    // C++ division truncates toward zero, as the placement wants.
    return {mainFrame.left() + (mainFrame.width() - dialogSize.width()) / 2,
            mainFrame.top() + (mainFrame.height() - dialogSize.height()) / 2};
}

void CenterOverMainWindow(QWidget* dialog) {
    QWidget* main = MainWindowForDialogs();
    if (!dialog || !main) return;
    dialog->adjustSize();
    dialog->move(CenteredPosition(main->frameGeometry(), dialog->frameGeometry().size()));
}

}  // namespace quill
