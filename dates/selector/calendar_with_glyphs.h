#pragma once
// A month calendar grid: seven columns, the short weekday names in the first
// row, then the days of the month, the first of the month in the first day
// row under its weekday; cells outside the month stay blank. A handler may
// draw the day cells itself (the date selector draws a mark on days that
// have an entry).

#include <QFlags>
#include <QWidget>
#include <functional>

#include "dates/date_keys.h"

class QPainter;

namespace quill {

enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = QFlags<TGridDrawStateFlag>;

using TDrawCalendarCellEvent = std::function<void(QPainter* can, int ACol, int ARow, const QRect& ARect,
                                                  TGridDrawState AState, const QString& Celltext)>;

class TCalendarWithGlyphs : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 7;
    static constexpr int kRows = 7;  // weekday names and six weeks

    explicit TCalendarWithGlyphs(QWidget* parent = nullptr);

    // Draws day cells when set; texts that do not begin with a digit (the
    // weekday names, blank cells) the grid always draws itself.
    TDrawCalendarCellEvent DrawCalendarCellEvent;

    // First column's weekday, 0 = Sunday.
    int StartOfWeek() const { return startOfWeek_; }
    void SetStartOfWeek(int day);

    Date CalendarDate() const { return date_; }
    // Shows DATE's month with DATE selected; emits CalendarChange when the
    // date differs from the one shown.
    void SetCalendarDate(Date date);
    int Year() const { return date_.year; }
    int Month() const { return date_.month; }
    int Day() const { return date_.day; }

    // The text of a cell: a weekday name in row 0, the day number in a cell
    // of the month, "" elsewhere.
    QString CellText(int col, int row) const;
    QRect CellRect(int col, int row) const;
    // The cell holding day DAY of the shown month.
    bool CellOfDay(int day, int& col, int& row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void CalendarChange();
    void CalendarDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int DayAt(const QPoint& at) const;  // 0 when no day of the month is there
    int FirstDayColumn() const;

    Date date_;
    int startOfWeek_ = 0;
};

}  // namespace quill
