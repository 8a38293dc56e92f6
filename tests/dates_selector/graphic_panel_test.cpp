#include "dates/selector/graphic_panel.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

namespace quill {
namespace {

QImage Paint(TGraphicPanel& panel) { return panel.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Columns inside the bevel where something other than the face is drawn
// (the caption), in order.
std::vector<int> InkColumns(const QImage& image, QColor face) {
    std::vector<int> xs;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (image.pixelColor(x, y) != face) xs.push_back(x);
    std::sort(xs.begin(), xs.end());
    return xs;
}

TEST(GraphicPanel, DefaultsToARaisedBevelAroundTheFace) {
    TGraphicPanel panel;
    EXPECT_EQ(panel.size(), QSize(185, 41));
    const QImage img = Paint(panel);
    const QPalette& pal = panel.palette();
    EXPECT_EQ(img.pixel(0, 0), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(img.pixel(184, 40), pal.color(QPalette::Dark).rgb());
    EXPECT_EQ(img.pixel(0, 20), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(img.pixel(184, 20), pal.color(QPalette::Dark).rgb());
    EXPECT_EQ(img.pixel(1, 1), pal.color(QPalette::Button).rgb());
    EXPECT_EQ(panel.FaceRect(), QRect(1, 1, 183, 39));
}

TEST(GraphicPanel, BorderBevelsAndFaceNestInOrder) {
    TGraphicPanel panel;
    panel.BorderStyle = TPanelBorderStyle::bsSingle;
    panel.BevelOuter = TBevelCut::bvLowered;
    panel.BorderWidth = 2;
    panel.BevelInner = TBevelCut::bvRaised;
    panel.Color = QColor(10, 200, 30);
    const QImage img = Paint(panel);
    const QPalette& pal = panel.palette();
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(184, 40), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 1), pal.color(QPalette::Dark).rgb());    // lowered: dark at the top left
    EXPECT_EQ(img.pixel(183, 39), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(img.pixel(2, 2), qRgb(10, 200, 30));          // the band of face colour
    EXPECT_EQ(img.pixel(4, 4), pal.color(QPalette::Light).rgb());   // inner bevel, raised
    EXPECT_EQ(img.pixel(5, 5), qRgb(10, 200, 30));
    EXPECT_EQ(panel.FaceRect(), QRect(5, 5, 175, 31));
}

TEST(GraphicPanel, CaptionFollowsTheAlignmentOnOneLine) {
    TGraphicPanel panel;
    panel.Color = Qt::white;
    panel.SetCaption("Hi\nthere");
    const struct {
        Qt::Alignment alignment;
        int minX, maxX;
    } cases[] = {
        {Qt::AlignLeft, 0, 100},
        {Qt::AlignHCenter, 40, 145},
        {Qt::AlignRight, 85, 185},
    };
    for (const auto& c : cases) {
        panel.Alignment = c.alignment;
        const std::vector<int> ink = InkColumns(Paint(panel), Qt::white);
        ASSERT_FALSE(ink.empty());
        EXPECT_GE(ink.front(), c.minX) << int(c.alignment);
        EXPECT_LE(ink.back(), c.maxX) << int(c.alignment);
    }
}

}  // namespace
}  // namespace quill
