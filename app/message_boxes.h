#pragma once
// The program's message boxes. Every box goes through AskBox, which tests
// replace with a handler of their own so that nothing waits for a click.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace quill {

using AskBoxHandler = std::function<QMessageBox::StandardButton(
    const QString& text, const QString& caption, QMessageBox::StandardButtons buttons,
    QMessageBox::Icon icon)>;

// Replaces the modal box; an empty handler brings the real box back.
void SetAskBoxHandler(AskBoxHandler handler);

// Modal message box owned by the application; answers the button pressed.
QMessageBox::StandardButton AskBox(const QString& text, const QString& caption,
                                   QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
void ShowInformation(const QString& text);  // "Information", OK
bool AskConfirmation(const QString& text);  // "Confirm", Yes and No; true for Yes

// The window that dialogs are centred over; set by the main window.
void SetMainWindowForDialogs(QWidget* mainWindow);
// Places the dialog's frame at the centre of the main window's frame.
void CenterOverMainWindow(QWidget* dialog);
// The position that centres a frame of dialogSize over the main frame.
QPoint CenteredPosition(const QRect& mainFrame, const QSize& dialogSize);

}  // namespace quill
