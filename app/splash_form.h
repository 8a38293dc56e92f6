#pragma once
// The start-up window, shown while the main window is made; the same window
// with its "Ok" button visible is the About box.

#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

namespace quill {

class TSplashform : public QDialog {
    Q_OBJECT
public:
    explicit TSplashform(QWidget* parent = nullptr);

    // Centres the window on the screen it is on.
    void CenterOnScreen();

    QFrame* Panel1;
    QLabel* TitleLabel;
    QLabel* VersionLabel;
    QLabel* PlatformLabel;
    QPushButton* OkButton;  // hidden during start-up
};

}  // namespace quill
