#include "privacy/star_mask.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace quill {

namespace {

class StarMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void MaskWithStars(QLineEdit* box) {
    auto* style = new StarMaskStyle;
    style->setParent(box);
    box->setStyle(style);
}

}  // namespace quill
