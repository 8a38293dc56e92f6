#pragma once
// The default font of new pages: name, size, bold, italic, underline and
// colour, shown and changed in a font dialog with a colour choice.

#include <QFont>
#include <QObject>
#include <cstdint>

class QWidget;

namespace quill {

class TDefaultFontDialog : public QObject {
    Q_OBJECT
public:
    explicit TDefaultFontDialog(QObject* parent = nullptr);

    // Shows the dialog; true when the user confirmed, and the font and colour
    // are then the chosen ones.
    bool Execute(QWidget* parent);

    QFont font;
    std::uint32_t color = 0;  // red in the low byte, then green, then blue
};

}  // namespace quill
