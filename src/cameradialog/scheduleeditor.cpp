#include "cameradialog/scheduleeditor.h"

#include "core/clock.h"
#include "core/dateformat.h"
#include "core/translation.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString DayStart = QStringLiteral("00:00:00");
const QString DayEnd = QStringLiteral("23:59:59");
const char *const WeekdayNames[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr int RowHeight = 20;

QTableWidget *MakeGrid(QWidget *parent, int rows, std::initializer_list<int> widths)
{
    auto *grid = new QTableWidget(rows, 3, parent);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(RowHeight);
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setSectionsClickable(false);
    int column = 0, total = 0;
    for (int width : widths) {
        grid->setColumnWidth(column++, width);
        total += width;
    }
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setTabKeyNavigation(false);
    grid->setMinimumWidth(total + grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth());
    return grid;
}

QString CellText(const QTableWidget *grid, int tableRow, int col)
{
    const QTableWidgetItem *item = grid->item(tableRow, col);
    return item ? item->text() : QString();
}

} // namespace

TSchedule ScheduleOf(TCamera &camera)
{
    TSchedule schedule;
    schedule.Daily = camera.scheduler_daily;
    schedule.Dates = camera.scheduler_dates;
    for (int day = 1; day <= 7; ++day) {
        schedule.Start[size_t(day - 1)] = camera.SchedulerStart(day);
        schedule.End[size_t(day - 1)] = camera.SchedulerEnd(day);
    }
    schedule.AdditionalDates = camera.scheduler_AdditionalDates;
    return schedule;
}

void ApplySchedule(TCamera &camera, const TSchedule &schedule)
{
    camera.scheduler_daily = schedule.Daily;
    camera.scheduler_dates = schedule.Dates;
    for (int day = 1; day <= 7; ++day) {
        camera.SchedulerStart(day) = schedule.Start[size_t(day - 1)];
        camera.SchedulerEnd(day) = schedule.End[size_t(day - 1)];
    }
    camera.scheduler_AdditionalDates = schedule.AdditionalDates;
}

TDateTime StrFmtToTime(const QString &text)
{
    // Always ":" as the separator, whatever the regional settings.
    const QTime time = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    return time.isValid() ? dt::FromQTime(time) : 0.0;
}

TScheduleEditor::TScheduleEditor(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    CheckBox7 = new QCheckBox(this);
    layout->addWidget(CheckBox7);
    StringGrid1 = MakeGrid(this, 7, {120, 120, 117});
    StringGrid1->setFixedHeight(StringGrid1->horizontalHeader()->sizeHint().height() + 7 * RowHeight
                                + 2 * StringGrid1->frameWidth());
    for (int row = 0; row < 7; ++row) {
        auto *day = new QTableWidgetItem;
        day->setFlags(Qt::ItemIsEnabled); // the fixed column: shown, never selected
        day->setBackground(palette().button());
        StringGrid1->setItem(row, 0, day);
    }
    layout->addWidget(StringGrid1, 0, Qt::AlignLeft);
    layout->addSpacing(8);

    CheckBox8 = new QCheckBox(this);
    layout->addWidget(CheckBox8);
    auto *datesRow = new QHBoxLayout;
    StringGrid2 = MakeGrid(this, 0, {120, 114, 99});
    datesRow->addWidget(StringGrid2);
    auto *buttons = new QVBoxLayout;
    SpeedButton5 = new QToolButton(this);
    SpeedButton5->setText(QStringLiteral("+"));
    SpeedButton6 = new QToolButton(this);
    SpeedButton6->setText(QStringLiteral("-"));
    for (QToolButton *button : {SpeedButton5, SpeedButton6}) {
        button->setFixedSize(28, 24);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    datesRow->addLayout(buttons);
    datesRow->addStretch();
    layout->addLayout(datesRow, 1);

    DateTimePicker1 = new QDateTimeEdit(this);
    DateTimePicker1->hide();

    // A picker left over a grid that is switched off or scrolled would edit a cell the user cannot see.
    connect(CheckBox7, &QCheckBox::toggled, this, [this](bool on) {
        if (!on && CurrTable == StringGrid1)
            HidePicker();
        UpdateEnabling();
    });
    connect(CheckBox8, &QCheckBox::toggled, this, [this](bool on) {
        if (!on && CurrTable == StringGrid2)
            HidePicker();
        UpdateEnabling();
    });
    for (QTableWidget *grid : {StringGrid1, StringGrid2})
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, grid] {
            if (CurrTable == grid)
                HidePicker();
        });
    connect(SpeedButton5, &QToolButton::clicked, this, &TScheduleEditor::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TScheduleEditor::SpeedButton6Click);
    connect(DateTimePicker1, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!m_filling)
            DateTimePicker1Change();
    });
    connect(StringGrid1, &QTableWidget::cellPressed, this, [this](int row, int col) { StringGrid1SelectCell(col, row + 1); });
    connect(StringGrid2, &QTableWidget::cellPressed, this, [this](int row, int col) { StringGrid2SelectCell(col, row + 1); });
    // Moving through the cells by keyboard selects them as well.
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        if (StringGrid1->hasFocus() && row >= 0)
            StringGrid1SelectCell(col, row + 1);
    });
    connect(StringGrid2, &QTableWidget::currentCellChanged, this, [this](int row, int col) {
        if (StringGrid2->hasFocus() && row >= 0)
            StringGrid2SelectCell(col, row + 1);
    });
    setTabOrder(CheckBox7, StringGrid1);
    setTabOrder(StringGrid1, CheckBox8);
    setTabOrder(CheckBox8, StringGrid2);
    setTabOrder(StringGrid2, SpeedButton5);
    setTabOrder(SpeedButton5, SpeedButton6);
    setTabOrder(SpeedButton6, DateTimePicker1);
}

void TScheduleEditor::SetCaptions()
{
    CheckBox7->setText(Translate(QStringLiteral("Run monitoring at specified periods of day:")));
    CheckBox8->setText(Translate(QStringLiteral("Set special dates to run monitoring (higher priority than daily settings):")));
    const QStringList weekdayHeader = {Translate(QStringLiteral("Day")), Translate(QStringLiteral("Start")),
                                       Translate(QStringLiteral("End"))};
    StringGrid1->setHorizontalHeaderLabels(weekdayHeader);
    StringGrid2->setHorizontalHeaderLabels({Translate(QStringLiteral("Date")), weekdayHeader[1], weekdayHeader[2]});
    for (int row = 0; row < 7; ++row)
        StringGrid1->item(row, 0)->setText(Translate(QLatin1String(WeekdayNames[row])));
}

void TScheduleEditor::SetCellText(QTableWidget *grid, int tableRow, int col, const QString &text)
{
    QTableWidgetItem *item = grid->item(tableRow, col);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid->setItem(tableRow, col, item);
    }
    item->setText(text);
}

void TScheduleEditor::SetDateRow(int row, const TAdditionalDate &date)
{
    SetCellText(StringGrid2, row - 1, 0, DateToStrFmt(date.Date));
    SetCellText(StringGrid2, row - 1, 1, TimeToStrFmt(date.Start));
    SetCellText(StringGrid2, row - 1, 2, TimeToStrFmt(date.Finish));
}

void TScheduleEditor::AppendDefaultDate()
{
    const int row = StringGrid2->rowCount() + 1;
    StringGrid2->setRowCount(row);
    SetCellText(StringGrid2, row - 1, 0, DateToStrFmt(Now() + 1));
    SetCellText(StringGrid2, row - 1, 1, DayStart);
    SetCellText(StringGrid2, row - 1, 2, DayEnd);
}

void TScheduleEditor::SetDefaults()
{
    CheckBox7->setChecked(false);
    CheckBox8->setChecked(false);
    for (int row = 0; row < 7; ++row) {
        SetCellText(StringGrid1, row, 1, DayStart);
        SetCellText(StringGrid1, row, 2, DayEnd);
    }
    StringGrid2->setRowCount(0);
    AppendDefaultDate();
    m_grid2Row = 1;
    UpdateEnabling();
}

void TScheduleEditor::Load(const TSchedule &schedule)
{
    CheckBox7->setChecked(schedule.Daily);
    CheckBox8->setChecked(schedule.Dates);
    for (int row = 0; row < 7; ++row) {
        SetCellText(StringGrid1, row, 1, TimeToStrFmt(schedule.Start[size_t(row)]));
        SetCellText(StringGrid1, row, 2, TimeToStrFmt(schedule.End[size_t(row)]));
    }
    StringGrid2->setRowCount(int(schedule.AdditionalDates.size()));
    for (int k = 0; k < schedule.AdditionalDates.size(); ++k)
        SetDateRow(k + 1, schedule.AdditionalDates[k]);
    m_grid2Row = 1;
    HidePicker();
    UpdateEnabling();
}

TSchedule TScheduleEditor::Values() const
{
    TSchedule schedule;
    schedule.Daily = CheckBox7->isChecked();
    schedule.Dates = CheckBox8->isChecked();
    for (int row = 0; row < 7; ++row) {
        schedule.Start[size_t(row)] = StrFmtToTime(CellText(StringGrid1, row, 1));
        schedule.End[size_t(row)] = StrFmtToTime(CellText(StringGrid1, row, 2));
    }
    for (int row = 0; row < StringGrid2->rowCount(); ++row) {
        TAdditionalDate date;
        try {
            date.Date = StrFmtToDate(CellText(StringGrid2, row, 0));
        } catch (const EConvertError &) {
            // Only a damaged stored date shows an unreadable cell; it keeps its period with day 0.
        }
        date.Start = StrFmtToTime(CellText(StringGrid2, row, 1));
        date.Finish = StrFmtToTime(CellText(StringGrid2, row, 2));
        schedule.AdditionalDates.append(date);
    }
    return schedule;
}

void TScheduleEditor::UpdateEnabling()
{
    StringGrid1->setEnabled(CheckBox7->isChecked());
    const bool dates = CheckBox8->isChecked();
    StringGrid2->setEnabled(dates);
    SpeedButton5->setEnabled(dates);
    SpeedButton6->setEnabled(dates);
}

QString TScheduleEditor::WeekdayCell(int row, int col) const
{
    if (row == 0) {
        const QTableWidgetItem *header = StringGrid1->horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    return CellText(StringGrid1, row - 1, col);
}

QString TScheduleEditor::DateCell(int row, int col) const
{
    if (row == 0) {
        const QTableWidgetItem *header = StringGrid2->horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    return CellText(StringGrid2, row - 1, col);
}

int TScheduleEditor::DateRowCount() const { return StringGrid2->rowCount() + 1; }

void TScheduleEditor::HidePicker() { DateTimePicker1->hide(); }

void TScheduleEditor::OpenPicker(QTableWidget *grid, int col, int row)
{
    HidePicker();
    const QModelIndex index = grid->model()->index(row - 1, col);
    grid->scrollTo(index);
    const QRect cell = grid->visualRect(index);
    const QPoint topLeft = grid->viewport()->mapTo(this, cell.topLeft());
    DateTimePicker1->setGeometry(QRect(topLeft, cell.size()));

    const QString text = CellText(grid, row - 1, col);
    m_filling = true;
    if (grid == StringGrid2 && col == 0) {
        DateTimePicker1->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
        // A time-only format pins the date range to one day: open it again.
        DateTimePicker1->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
        DateTimePicker1->setCalendarPopup(true);
        try {
            DateTimePicker1->setDate(dt::ToQDate(StrFmtToDate(text)));
        } catch (const EConvertError &) {
            DateTimePicker1->setDate(QDate::currentDate());
        }
    } else {
        DateTimePicker1->setCalendarPopup(false);
        DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        DateTimePicker1->setTime(dt::ToQTime(StrFmtToTime(text)));
    }
    m_filling = false;
    DateTimePicker1->show();
    DateTimePicker1->raise();
    CurrTable = grid;
    CurrTableCol = col;
    CurrTableRow = row;
}

void TScheduleEditor::StringGrid1SelectCell(int col, int row)
{
    if (!StringGrid1->isEnabled() || col < 1 || col > 2 || row < 1 || row > 7)
        return;
    OpenPicker(StringGrid1, col, row);
}

void TScheduleEditor::StringGrid2SelectCell(int col, int row)
{
    if (!StringGrid2->isEnabled() || col < 0 || col > 2 || row < 1 || row > StringGrid2->rowCount())
        return;
    m_grid2Row = row;
    OpenPicker(StringGrid2, col, row);
}

void TScheduleEditor::DateTimePicker1Change()
{
    if (!CurrTable || CurrTableRow < 1 || CurrTableRow > CurrTable->rowCount())
        return;
    QString text;
    if (CurrTable == StringGrid2 && CurrTableCol == 0)
        text = DateToStrFmt(dt::FromQDate(DateTimePicker1->date()));
    else
        text = TimeToStrFmt(dt::FromQTime(DateTimePicker1->time()));
    SetCellText(CurrTable, CurrTableRow - 1, CurrTableCol, text);
}

void TScheduleEditor::SpeedButton5Click() { AppendDefaultDate(); }

void TScheduleEditor::SpeedButton6Click()
{
    const int dateRows = StringGrid2->rowCount();
    const int row = std::min(m_grid2Row, dateRows);
    if (row < 1 || dateRows == 0)
        return;
    if (dateRows == 1) {
        CheckBox8->setChecked(false);
        return;
    }
    HidePicker();
    if (CurrTable == StringGrid2)
        CurrTable = nullptr; // the remembered cell may be gone or hold another date now
    StringGrid2->removeRow(row - 1);
    m_grid2Row = std::min(row, StringGrid2->rowCount());
}
