#include "dates/selector/calendar_with_glyphs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "dates/date_text.h"
#include "dates/month_moves.h"

namespace quill {

namespace {

constexpr int kCellWidth = 40;
constexpr int kCellHeight = 24;

}  // namespace

TCalendarWithGlyphs::TCalendarWithGlyphs(QWidget* parent) : QWidget(parent), date_(Today()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TCalendarWithGlyphs::SetStartOfWeek(int day) {
    startOfWeek_ = ((day % 7) + 7) % 7;
    update();
}

void TCalendarWithGlyphs::SetCalendarDate(Date date) {
    if (!IsValidDate(date.year, date.month, date.day) || date == date_) return;
    date_ = date;
    update();
    emit CalendarChange();
}

int TCalendarWithGlyphs::FirstDayColumn() const {
    return (DayOfWeek(Date{date_.year, date_.month, 1}) - startOfWeek_ + 7) % 7;
}

QString TCalendarWithGlyphs::CellText(int col, int row) const {
    if (col < 0 || col >= kColumns || row < 0 || row >= kRows) return {};
    if (row == 0)
        return QString::fromStdString(CurrentDateSettings().shortDayNames[(startOfWeek_ + col) % 7]);
    const int day = (row - 1) * kColumns + col - FirstDayColumn() + 1;
    if (day < 1 || day > DaysInMonthOf(date_.year, date_.month)) return {};
    return QString::number(day);
}

bool TCalendarWithGlyphs::CellOfDay(int day, int& col, int& row) const {
    if (day < 1 || day > DaysInMonthOf(date_.year, date_.month)) return false;
    const int index = FirstDayColumn() + day - 1;
    col = index % kColumns;
    row = index / kColumns + 1;
    return true;
}

QRect TCalendarWithGlyphs::CellRect(int col, int row) const {
    // The columns and rows share the widget's size; the last ones take what
    // the division leaves over.
    const int w = width(), h = height();
    const int left = col * w / kColumns, right = (col + 1) * w / kColumns;
    const int top = row * h / kRows, bottom = (row + 1) * h / kRows;
    return QRect(left, top, right - left, bottom - top);
}

QSize TCalendarWithGlyphs::sizeHint() const { return {kColumns * kCellWidth, kRows * kCellHeight}; }

int TCalendarWithGlyphs::DayAt(const QPoint& at) const {
    if (!rect().contains(at)) return 0;
    const int col = at.x() * kColumns / width();
    const int row = at.y() * kRows / height();
    const QString text = CellText(col, row);
    return row == 0 || text.isEmpty() ? 0 : text.toInt();
}

void TCalendarWithGlyphs::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Base));
    int selCol = -1, selRow = -1;
    CellOfDay(date_.day, selCol, selRow);
    for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kColumns; ++col) {
            const QRect cell = CellRect(col, row);
            const QString text = CellText(col, row);
            TGridDrawState state;
            if (row == 0) state |= gdFixed;
            if (col == selCol && row == selRow) {
                state |= gdSelected;
                if (hasFocus()) state |= gdFocused;
            }
            const QColor back = state.testFlag(gdFixed)      ? pal.color(QPalette::Button)
                                : state.testFlag(gdSelected) ? pal.color(QPalette::Highlight)
                                                             : pal.color(QPalette::Base);
            const QColor fore = state.testFlag(gdFixed)      ? pal.color(QPalette::ButtonText)
                                : state.testFlag(gdSelected) ? pal.color(QPalette::HighlightedText)
                                                             : pal.color(QPalette::Text);
            p.save();
            p.setClipRect(cell);
            p.setBrush(back);
            p.setPen(fore);
            p.setFont(font());
            if (DrawCalendarCellEvent && !text.isEmpty() && text[0].isDigit()) {
                DrawCalendarCellEvent(&p, col, row, cell, state, text);
            } else {
                p.fillRect(cell, back);
                p.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
            }
            p.restore();
            if (state.testFlag(gdFocused)) {
                QPen dotted(fore, 1, Qt::DotLine);
                p.setPen(dotted);
                p.setBrush(Qt::NoBrush);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
        }
    }
    // Grid lines between the cells.
    p.setPen(pal.color(QPalette::Mid));
    for (int col = 1; col < kColumns; ++col) {
        const int x = CellRect(col, 0).left();
        p.drawLine(x, 0, x, height() - 1);
    }
    for (int row = 1; row < kRows; ++row) {
        const int y = CellRect(0, row).top();
        p.drawLine(0, y, width() - 1, y);
    }
}

void TCalendarWithGlyphs::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    if (const int day = DayAt(event->position().toPoint()))
        SetCalendarDate(Date{date_.year, date_.month, day});
}

void TCalendarWithGlyphs::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    // Only a day of the month is a choice; a blank cell or the names are not.
    const int day = DayAt(event->position().toPoint());
    if (!day) return;
    SetCalendarDate(Date{date_.year, date_.month, day});
    emit CalendarDblClick();
}

void TCalendarWithGlyphs::keyPressEvent(QKeyEvent* event) {
    Date to = date_;
    switch (event->key()) {
    case Qt::Key_Left: to = AddDays(date_, -1); break;
    case Qt::Key_Right: to = AddDays(date_, 1); break;
    case Qt::Key_Up: to = AddDays(date_, -7); break;
    case Qt::Key_Down: to = AddDays(date_, 7); break;
    case Qt::Key_PageUp: to = AddMonthsKeepingDay(date_, -1); break;
    case Qt::Key_PageDown: to = AddMonthsKeepingDay(date_, 1); break;
    case Qt::Key_Home: to.day = 1; break;
    case Qt::Key_End: to.day = DaysInMonthOf(date_.year, date_.month); break;
    default: return QWidget::keyPressEvent(event);
    }
    SetCalendarDate(to);
}

}  // namespace quill
