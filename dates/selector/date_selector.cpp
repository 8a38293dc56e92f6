#include "dates/selector/date_selector.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dates/date_text.h"
#include "dates/month_moves.h"
#include "dates/selector/mark_image.h"

namespace quill {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint = nullptr) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (hint) b->setToolTip(hint);
    return b;
}

}  // namespace

TDateSelector::TDateSelector(QWidget* parent) : QDialog(parent) {
    setObjectName("DateSelector");
    setWindowTitle("Select Date");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    ShowDatePanel = new TGraphicPanel(this);
    ShowDatePanel->setObjectName("ShowDatePanel");
    QFont panelFont("Arial");
    panelFont.setPixelSize(13);
    panelFont.setBold(true);
    ShowDatePanel->setFont(panelFont);
    ShowDatePanel->setFixedHeight(41);

    Calendar = new TCalendarWithGlyphs(this);
    Calendar->setObjectName("Calendar");
    Calendar->SetStartOfWeek(0);

    PrevYear = Button(this, "PrevYear", "Year-", "Show the previous year");
    PrevMonth = Button(this, "PrevMonth", "Month-", "Show the previous month");
    DoCurrentDate = Button(this, "DoCurrentDate", "Today", "Show today's date");
    NextMonth = Button(this, "NextMonth", "Month +", "Show the next month");
    NextYear = Button(this, "NextYear", "Year+", "Show the next year");
    OKButton = Button(this, "OKButton", "Ok");
    OKButton->setDefault(true);
    CancelButton = Button(this, "CancelButton", "Cancel");

    auto* moves = new QHBoxLayout;
    moves->setSpacing(2);
    for (QPushButton* b : {PrevYear, PrevMonth, DoCurrentDate, NextMonth, NextYear}) {
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 12);
        moves->addWidget(b);
    }
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(OKButton);
    closing->addWidget(CancelButton);

    auto* column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addWidget(ShowDatePanel);
    column->addWidget(Calendar);
    column->addLayout(moves);
    column->addLayout(closing);

    Image1 = EntryMarkImage();
    drawnMark_ = WhiteAsTransparent(Image1);

    connect(Calendar, &TCalendarWithGlyphs::CalendarChange, this, [this] { CalendarChange(); });
    connect(Calendar, &TCalendarWithGlyphs::CalendarDblClick, this, [this] { CalendarDblClick(); });
    Calendar->DrawCalendarCellEvent = [this](QPainter* can, int col, int row, const QRect& r, TGridDrawState state,
                                             const QString& text) {
        CalendarDrawCalendarCellEvent(can, col, row, r, state, text);
    };
    connect(PrevYear, &QPushButton::clicked, this, [this] { PrevYearClick(); });
    connect(NextYear, &QPushButton::clicked, this, [this] { NextYearClick(); });
    connect(PrevMonth, &QPushButton::clicked, this, [this] { PrevMonthClick(); });
    connect(NextMonth, &QPushButton::clicked, this, [this] { NextMonthClick(); });
    connect(DoCurrentDate, &QPushButton::clicked, this, [this] { DoCurrentDateClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });

    FormCreate();
}

TDateSelector::~TDateSelector() = default;

void TDateSelector::FormCreate() {
    firstActivation_ = true;
    marked_.clear();
    lastMonth_ = -1;
    lastYear_ = -1;
}

void TDateSelector::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TDateSelector::FormActivate() {
    if (!firstActivation_) return;
    Calendar->SetCalendarDate(InitialDate);
    firstActivation_ = false;
    CalendarChange();
    Calendar->setFocus();
}

void TDateSelector::CalendarChange() {
    if (firstActivation_) return;
    const Date date = Calendar->CalendarDate();
    ShowDatePanel->SetCaption(QString::fromStdString(LongDateText(date)));
    if (date.month != lastMonth_ || date.year != lastYear_) {
        // A month the lookup cannot read shows no marks rather than stale ones.
        marked_.clear();
        if (Lookup) Lookup(marked_, date.year, date.month);
        ++lookups_;
        Calendar->update();
    }
    lastMonth_ = date.month;
    lastYear_ = date.year;
}

void TDateSelector::PrevYearClick() { Calendar->SetCalendarDate(AddYearsKeepingDay(Calendar->CalendarDate(), -1)); }
void TDateSelector::NextYearClick() { Calendar->SetCalendarDate(AddYearsKeepingDay(Calendar->CalendarDate(), 1)); }
void TDateSelector::PrevMonthClick() { Calendar->SetCalendarDate(AddMonthsKeepingDay(Calendar->CalendarDate(), -1)); }
void TDateSelector::NextMonthClick() { Calendar->SetCalendarDate(AddMonthsKeepingDay(Calendar->CalendarDate(), 1)); }
void TDateSelector::DoCurrentDateClick() { Calendar->SetCalendarDate(Today()); }
void TDateSelector::OKButtonClick() { accept(); }
void TDateSelector::CalendarDblClick() { accept(); }
void TDateSelector::CancelButtonClick() { reject(); }

bool TDateSelector::IsMarked(const QString& day) const {
    const std::string text = day.toStdString();
    return std::find(marked_.begin(), marked_.end(), text) != marked_.end();
}

void TDateSelector::CalendarDrawCalendarCellEvent(QPainter* can, int, int, const QRect& ARect, TGridDrawState,
                                                  const QString& Celltext) {
    if (Celltext.size() > 2) return;
    // The grid has set the brush and pen for the cell's state.
    can->fillRect(ARect, can->brush());
    can->drawText(ARect.adjusted(0, 1, -3, 0), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, Celltext);
    if (IsMarked(Celltext)) can->drawImage(ARect.topLeft() + QPoint(5, 2), drawnMark_);
}

}  // namespace quill
