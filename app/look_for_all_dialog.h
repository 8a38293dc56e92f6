#pragma once
// The question of "Find entry containing...": one line of text to look for
// in every entry of the diary.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {

inline constexpr const char* kLookForAllCaption = "Find text from any entry";
inline constexpr const char* kLookForAllPrompt = "Text to look for";

class TLookForAll : public QDialog {
    Q_OBJECT
public:
    explicit TLookForAll(QWidget* parent = nullptr);

    QString Text() const;

    QLabel* Label1;
    QLineEdit* LookForText;
    QPushButton* OKButton;
    QPushButton* CancelButton;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace quill
