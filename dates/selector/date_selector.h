#pragma once
// The "Select Date" dialog: one month as a grid in which the days that have
// an entry carry a mark, the chosen date in words above it, buttons to move
// by month and year or to today, OK and Cancel. The caller gives the first
// date and the lookup that names a month's days with entries, shows the
// dialog modally and, on OK, reads ChosenDate().

#include <QDialog>
#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "dates/date_keys.h"
#include "dates/selector/calendar_with_glyphs.h"
#include "dates/selector/graphic_panel.h"

class QPushButton;

namespace quill {

// Fills DAYS with the day numbers ("1" to "31", no leading zero) of the
// month that have an entry.
using TDaysWithEntriesLookup = std::function<void(std::vector<std::string>& days, int year, int month)>;

class TDateSelector : public QDialog {
    Q_OBJECT
public:
    explicit TDateSelector(QWidget* parent = nullptr);
    ~TDateSelector() override;

    // Set before the dialog is shown.
    Date InitialDate = Today();
    TDaysWithEntriesLookup Lookup;

    Date ChosenDate() const { return Calendar->CalendarDate(); }
    const std::vector<std::string>& MarkedDays() const { return marked_; }
    // How many times the lookup ran (once per month shown).
    int LookupCount() const { return lookups_; }

    TGraphicPanel* ShowDatePanel;
    TCalendarWithGlyphs* Calendar;
    QPushButton* PrevYear;
    QPushButton* PrevMonth;
    QPushButton* DoCurrentDate;
    QPushButton* NextMonth;
    QPushButton* NextYear;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QImage Image1;  // the mark; pure white is transparent

    void FormCreate();
    void FormActivate();
    void CalendarChange();
    void PrevYearClick();
    void NextYearClick();
    void PrevMonthClick();
    void NextMonthClick();
    void DoCurrentDateClick();
    void OKButtonClick();
    void CalendarDblClick();
    void CancelButtonClick();
    void CalendarDrawCalendarCellEvent(QPainter* can, int ACol, int ARow, const QRect& ARect, TGridDrawState AState,
                                       const QString& Celltext);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool IsMarked(const QString& day) const;

    std::vector<std::string> marked_;
    int lastMonth_ = -1;
    int lastYear_ = -1;
    bool firstActivation_ = true;
    int lookups_ = 0;
    QImage drawnMark_;  // Image1 with white left out, made once
};

}  // namespace quill
