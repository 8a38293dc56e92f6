#pragma once
// The paragraph properties dialog: indents in inches or centimetres, the
// first line's special indent, and the spacing in points, for the
// paragraphs of the selection or the caret's paragraph of one editor.

#include <QDialog>
#include <array>

#include "app/paragraph_units.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quill {

class TRichText;

class TParagraphPropDlg : public QDialog {
    Q_OBJECT
public:
    // Takes the caret paragraph's values of EDITOR (which may be null: the
    // dialog then applies nothing).
    explicit TParagraphPropDlg(TRichText* editor, QWidget* parent = nullptr);

    // The stored values in twips.
    enum Value { First, Left, Right, Before, After, LineHeight, ValueCount };
    int StoredValue(Value v) const { return values_[size_t(v)]; }

    void ShowFieldValues();
    void SetHints();
    MeasureUnit Unit() const;

    QLineEdit* LeftIndent;
    QLineEdit* RightIndent;
    QComboBox* FirstIndentCombo;
    QLineEdit* FirstIndent;
    QLineEdit* SpaceBeforePts;
    QLineEdit* SpaceAfterPts;
    QLineEdit* LineHeightPts;
    QComboBox* ComboBox1;
    QPushButton* Okbutton;
    QPushButton* CancelButton;

private:
    QLineEdit* Box(Value v) const;
    void BoxChanged(Value v);
    void FirstIndentComboChange();
    void OkbuttonClick();

    TRichText* editor_;
    std::array<int, ValueCount> values_{};
    char decimal_ = '.';
    bool copyingLeft_ = false;
};

}  // namespace quill
