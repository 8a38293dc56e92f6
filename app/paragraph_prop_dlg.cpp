#include "app/paragraph_prop_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/message_boxes.h"
#include "richtext/widget/rich_text.h"

namespace quill {

namespace {

char DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    // A separator that is no single byte cannot be typed into the boxes'
    // numbers; the full stop serves then.
    if (point.size() == 1 && point[0].unicode() < 0x80) return char(point[0].unicode());
    return '.';
}

QLineEdit* MakeBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaximumWidth(80);
    return box;
}

}  // namespace

TParagraphPropDlg::TParagraphPropDlg(TRichText* editor, QWidget* parent)
    : QDialog(parent), editor_(editor), decimal_(DecimalSeparator()) {
    setObjectName("ParagraphPropDlg");
    setWindowTitle("Paragraph Properties");
    // A fixed dialog frame: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    LeftIndent = MakeBox(this, "LeftIndent");
    RightIndent = MakeBox(this, "RightIndent");
    FirstIndent = MakeBox(this, "FirstIndent");
    SpaceBeforePts = MakeBox(this, "SpaceBeforePts");
    SpaceAfterPts = MakeBox(this, "SpaceAfterPts");
    LineHeightPts = MakeBox(this, "LineHeightPts");
    FirstIndentCombo = new QComboBox(this);
    FirstIndentCombo->setObjectName("FirstIndentCombo");
    FirstIndentCombo->addItems({"Same as Left Indent", "Indented by"});
    FirstIndentCombo->setToolTip("Specify special handling for first line indent");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"Inch", "Cm"});
    ComboBox1->setToolTip("Change unit of measurement to inches or centimeters");
    SpaceBeforePts->setToolTip("Specify spacing before paragraph in points (1 point=1/72 inch)");
    SpaceAfterPts->setToolTip("Specify spacing after paragraph in points (1 point=1/72 inch)");
    LineHeightPts->setToolTip("Specify spacing between lines of paragraph in points (1 point=1/72 inch)");
    Okbutton = new QPushButton("OK", this);
    Okbutton->setObjectName("Okbutton");
    Okbutton->setDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");

    auto* grid = new QGridLayout;
    const struct {
        const char* caption;
        QWidget* field;
    } rows[] = {
        {"Left Indent", LeftIndent},          {"Right Indent", RightIndent},
        {"First Indent", FirstIndentCombo},   {"Space before (pts)", SpaceBeforePts},
        {"Space after (pts)", SpaceAfterPts}, {"Line Height (pts)", LineHeightPts},
        {"Units", ComboBox1},
    };
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(r.caption, this);
        label->setBuddy(r.field);
        grid->addWidget(label, row, 0);
        grid->addWidget(r.field, row++, 1);
    }
    // The first line's own indent sits beside its choice.
    grid->addWidget(FirstIndent, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Okbutton);
    buttons->addWidget(CancelButton);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    if (editor_) {
        const TParagraph* p = editor_->Input().CursorPos().paragraph;
        if (p) values_ = {p->firstIndent, p->leftIndent, p->rightIndent,
                          p->spaceBefore, p->spaceAfter, p->lineSpacing};
    }
    ComboBox1->setCurrentIndex(0);
    FirstIndentCombo->setCurrentIndex(values_[First] != values_[Left] ? 1 : 0);
    FirstIndent->setEnabled(FirstIndentCombo->currentIndex() == 1);

    for (int v = 0; v < ValueCount; ++v)
        connect(Box(Value(v)), &QLineEdit::textChanged, this, [this, v] { BoxChanged(Value(v)); });
    connect(FirstIndentCombo, &QComboBox::currentIndexChanged, this, [this] { FirstIndentComboChange(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        ShowFieldValues();
        SetHints();
    });
    connect(Okbutton, &QPushButton::clicked, this, [this] { OkbuttonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    ShowFieldValues();
    SetHints();
}

MeasureUnit TParagraphPropDlg::Unit() const {
    return ComboBox1->currentIndex() == 1 ? MeasureUnit::Cm : MeasureUnit::Inch;
}

QLineEdit* TParagraphPropDlg::Box(Value v) const {
    switch (v) {
        case First: return FirstIndent;
        case Left: return LeftIndent;
        case Right: return RightIndent;
        case Before: return SpaceBeforePts;
        case After: return SpaceAfterPts;
        default: return LineHeightPts;
    }
}

void TParagraphPropDlg::ShowFieldValues() {
    // Each box is read back as it is written, so the stored values become
    // what is shown, at the precision shown.
    const std::array<int, ValueCount> shown = values_;
    for (int v = 0; v < ValueCount; ++v) {
        QLineEdit* box = Box(Value(v));
        const bool points = IsPointsBoxName(box->objectName().toStdString());
        box->setText(QString::fromStdString(TwipsToBoxText(shown[size_t(v)], points, Unit(), decimal_)));
    }
}

void TParagraphPropDlg::SetHints() {
    const QString unit = Unit() == MeasureUnit::Inch ? "inches" : "centimeters";
    LeftIndent->setToolTip("Specify left indent for the paragraph in " + unit);
    RightIndent->setToolTip("Specify right indent for the paragraph in " + unit);
    FirstIndent->setToolTip("Specify first line indent for the paragraph in " + unit);
}

void TParagraphPropDlg::BoxChanged(Value v) {
    QLineEdit* box = Box(v);
    const std::string text = box->text().toStdString();
    const bool points = IsPointsBoxName(box->objectName().toStdString());
    if (const std::optional<int> twips = BoxTextToTwips(text, points, Unit(), decimal_)) {
        values_[size_t(v)] = *twips;
    } else if (!copyingLeft_) {  // the copied text was reported as the left indent's
        ShowInformation(QString("'%1' is not a valid floating point value").arg(box->text()));
    }
    if (v == Left && FirstIndentCombo->currentIndex() == 0) {
        copyingLeft_ = true;
        FirstIndent->setText(LeftIndent->text());
        copyingLeft_ = false;
    }
}

void TParagraphPropDlg::FirstIndentComboChange() {
    const bool indented = FirstIndentCombo->currentIndex() == 1;
    if (!indented) FirstIndent->setText(LeftIndent->text());
    FirstIndent->setEnabled(indented);
}

void TParagraphPropDlg::OkbuttonClick() {
    if (editor_) {
        editor_->SetParagraphSpacing(values_[Before], values_[LineHeight], values_[After]);
        editor_->SetParagraphIndents(values_[First], values_[Left], values_[Right]);
    }
    accept();
}

}  // namespace quill
