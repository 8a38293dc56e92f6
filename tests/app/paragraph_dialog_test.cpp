// The paragraph properties dialog: the boxes' units and rounding, the first
// indent's rules, the hints, bad numbers, and what OK applies.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/app_test_support.h"
#include "app/paragraph_prop_dlg.h"
#include "app/paragraph_units.h"
#include "richtext/widget/rich_text.h"

namespace quill {
namespace {

TEST(ParagraphUnits, TwipsShownInTheChosenUnit) {
    struct Case {
        int twips;
        bool points;
        MeasureUnit unit;
        const char* shown;
    } cases[] = {
        {720, false, MeasureUnit::Inch, "0.50"},  {720, false, MeasureUnit::Cm, "1.27"},
        {1000, false, MeasureUnit::Inch, "0.69"}, {0, false, MeasureUnit::Cm, "0.00"},
        {-360, false, MeasureUnit::Inch, "-0.25"}, {240, true, MeasureUnit::Inch, "12"},
        {240, true, MeasureUnit::Cm, "12"},       {250, true, MeasureUnit::Inch, "12"},  // 12.5: halves to even
        {270, true, MeasureUnit::Inch, "14"},     // 13.5
    };
    for (const Case& c : cases)
        EXPECT_EQ(TwipsToBoxText(c.twips, c.points, c.unit), c.shown) << c.twips;
    EXPECT_EQ(TwipsToBoxText(720, false, MeasureUnit::Inch, ','), "0,50");
}

TEST(ParagraphUnits, TextReadBackIntoTwips) {
    struct Case {
        const char* text;
        bool points;
        MeasureUnit unit;
        std::optional<int> twips;
    } cases[] = {
        {"12", true, MeasureUnit::Inch, 240},     {"0.69", false, MeasureUnit::Inch, 994},
        {"1.27", false, MeasureUnit::Cm, 720},    {"", false, MeasureUnit::Inch, 0},
        {" 0.5 ", false, MeasureUnit::Inch, 720}, {"-1", false, MeasureUnit::Cm, -567},
        {"1e1", true, MeasureUnit::Inch, 200},    {"0.0125", true, MeasureUnit::Inch, 0},  // 0.25
        {"0.025", true, MeasureUnit::Inch, 0},    // exactly 0.5 twips: halves to even
        {"0.075", true, MeasureUnit::Inch, 2},    // 1.5
        {"abc", true, MeasureUnit::Inch, std::nullopt}, {"1,5", false, MeasureUnit::Inch, std::nullopt},
        {"-", false, MeasureUnit::Inch, std::nullopt},  {"  ", false, MeasureUnit::Inch, std::nullopt},
        {"1e400", false, MeasureUnit::Inch, std::nullopt}, {"0x10", false, MeasureUnit::Inch, std::nullopt},
        {"nan", false, MeasureUnit::Inch, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoxTextToTwips(c.text, c.points, c.unit), c.twips) << "'" << c.text << "'";
    EXPECT_EQ(BoxTextToTwips("1,5", false, MeasureUnit::Inch, ','), 2160);
    EXPECT_EQ(BoxTextToTwips("1.5", false, MeasureUnit::Inch, ','), std::nullopt);
    EXPECT_TRUE(IsPointsBoxName("SpaceBeforePts"));
    EXPECT_TRUE(IsPointsBoxName("lineheightpts"));
    EXPECT_FALSE(IsPointsBoxName("LeftIndent"));
}

class ParagraphDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        editor.resize(400, 300);
        editor.show();
        QTest::keyClicks(&editor, "Paragraph");
        TParagraph* p = editor.RtfText().firstParagraph;
        p->firstIndent = 720;
        p->leftIndent = 720;
        p->rightIndent = 1000;
        p->spaceBefore = 240;
        p->spaceAfter = 120;
        p->lineSpacing = 0;
        editor.OnChange = [this] { ++changes; };
    }
    // Types into a box the way a user does: select all, then the keys.
    static void Type(QLineEdit* box, const QString& text) {
        box->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, text);
    }

    test::ScriptedBoxes boxes;
    TRichText editor;
    int changes = 0;
};

TEST_F(ParagraphDialogTest, OpensOnTheCaretsParagraphInInches) {
    TParagraphPropDlg d(&editor);
    EXPECT_EQ(d.windowTitle(), "Paragraph Properties");
    EXPECT_EQ(d.ComboBox1->currentText(), "Inch");
    EXPECT_EQ(d.LeftIndent->text(), "0.50");
    EXPECT_EQ(d.RightIndent->text(), "0.69");
    EXPECT_EQ(d.FirstIndent->text(), "0.50");
    EXPECT_EQ(d.SpaceBeforePts->text(), "12");
    EXPECT_EQ(d.SpaceAfterPts->text(), "6");
    EXPECT_EQ(d.LineHeightPts->text(), "0");
    // Equal first and left indents: "Same as Left Indent", first box off.
    EXPECT_EQ(d.FirstIndentCombo->currentText(), "Same as Left Indent");
    EXPECT_FALSE(d.FirstIndent->isEnabled());
    // The stored values are what is shown: 1000 twips went to 0.69 inches.
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Right), 994);
    EXPECT_EQ(d.LeftIndent->toolTip(), "Specify left indent for the paragraph in inches");
    EXPECT_EQ(d.RightIndent->toolTip(), "Specify right indent for the paragraph in inches");
    EXPECT_EQ(d.FirstIndent->toolTip(), "Specify first line indent for the paragraph in inches");
    EXPECT_EQ(d.SpaceBeforePts->toolTip(), "Specify spacing before paragraph in points (1 point=1/72 inch)");
    EXPECT_EQ(d.SpaceAfterPts->toolTip(), "Specify spacing after paragraph in points (1 point=1/72 inch)");
    EXPECT_EQ(d.LineHeightPts->toolTip(),
              "Specify spacing between lines of paragraph in points (1 point=1/72 inch)");
    EXPECT_EQ(d.FirstIndentCombo->toolTip(), "Specify special handling for first line indent");
    EXPECT_EQ(d.ComboBox1->toolTip(), "Change unit of measurement to inches or centimeters");

    // Centimetres: boxes and hints rewritten; points stay points.
    d.ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(d.LeftIndent->text(), "1.27");
    EXPECT_EQ(d.SpaceBeforePts->text(), "12");
    EXPECT_EQ(d.LeftIndent->toolTip(), "Specify left indent for the paragraph in centimeters");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Left), 720);
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Right), 992) << "0.69 in = 994 twips = 1.75 cm = 992.1";
    EXPECT_EQ(d.RightIndent->text(), "1.75");
}

TEST_F(ParagraphDialogTest, SameAsLeftIndentMovesTheFirstIndentAlong) {
    TParagraphPropDlg d(&editor);
    Type(d.LeftIndent, "1.25");
    EXPECT_EQ(d.FirstIndent->text(), "1.25");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::First), 1800);
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Left), 1800);

    d.FirstIndentCombo->setCurrentIndex(1);
    EXPECT_TRUE(d.FirstIndent->isEnabled());
    Type(d.FirstIndent, "0.25");
    Type(d.LeftIndent, "2");
    EXPECT_EQ(d.FirstIndent->text(), "0.25") << "indented by: its own value";
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::First), 360);

    d.FirstIndentCombo->setCurrentIndex(0);
    EXPECT_FALSE(d.FirstIndent->isEnabled());
    EXPECT_EQ(d.FirstIndent->text(), "2");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::First), 2880);
}

TEST_F(ParagraphDialogTest, ABadNumberIsReportedAndTheLastGoodValueKept) {
    TParagraphPropDlg d(&editor);
    d.SpaceBeforePts->selectAll();
    QTest::keyClicks(d.SpaceBeforePts, "1");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Before), 20);
    EXPECT_TRUE(boxes.shown.empty());
    QTest::keyClicks(d.SpaceBeforePts, "x");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "'1x' is not a valid floating point value");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Before), 20);
    QTest::keyClick(d.SpaceBeforePts, Qt::Key_Backspace);
    QTest::keyClicks(d.SpaceBeforePts, "8");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Before), 360);
    // A bad left indent copied into the first box is reported once.
    boxes.shown.clear();
    Type(d.LeftIndent, "a");
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Left), 720);
    // An empty box is 0.
    Type(d.LeftIndent, "");
    EXPECT_EQ(d.StoredValue(TParagraphPropDlg::Left), 0);
}

TEST_F(ParagraphDialogTest, OkAppliesWhatIsShownCancelNothing) {
    {
        TParagraphPropDlg d(&editor);
        Type(d.LineHeightPts, "3");
        d.CancelButton->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
    }
    EXPECT_EQ(editor.RtfText().firstParagraph->lineSpacing, 0);
    EXPECT_EQ(changes, 0);

    TParagraphPropDlg d(&editor);
    d.FirstIndentCombo->setCurrentIndex(1);
    Type(d.FirstIndent, "0.1");
    Type(d.LineHeightPts, "3");
    d.Okbutton->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const TParagraph* p = editor.RtfText().firstParagraph;
    EXPECT_EQ(p->firstIndent, 144);
    EXPECT_EQ(p->leftIndent, 720);
    EXPECT_EQ(p->rightIndent, 994) << "applied as shown: 0.69 inches";
    EXPECT_EQ(p->spaceBefore, 240);
    EXPECT_EQ(p->spaceAfter, 120);
    EXPECT_EQ(p->lineSpacing, 60);
    EXPECT_GT(changes, 0) << "the editor reports the change";
}

}  // namespace
}  // namespace quill
