#pragma once
// The "Scheduler" page of the camera dialog: the weekday grid (one period per weekday), the special dates
// grid with "+" and "-", and the one date/time picker that edits their cells in place. Cell texts are only
// ever written by the editor ("hh:mm:ss", "mm/dd/yy"), never typed.
#include "core/camera.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QDateTimeEdit;
class QTableWidget;
class QToolButton;

// A camera's schedule as the page edits it.
struct TSchedule
{
    bool Daily = false;
    bool Dates = false;
    std::array<TDateTime, 7> Start{}; // Monday first
    std::array<TDateTime, 7> End{};
    QList<TAdditionalDate> AdditionalDates;

    bool operator==(const TSchedule &) const = default;
};
TSchedule ScheduleOf(TCamera &camera);
void ApplySchedule(TCamera &camera, const TSchedule &schedule);

// "hh:mm:ss" to a time of day; 0 for a text that is not one.
TDateTime StrFmtToTime(const QString &text);

class TScheduleEditor : public QWidget
{
    Q_OBJECT
public:
    explicit TScheduleEditor(QWidget *parent = nullptr);

    // Captions, headers and weekday names through the translation table.
    void SetCaptions();
    // New camera: both options off, seven periods 00:00:00 - 23:59:59, one special date (tomorrow) with the
    // same period. The picker is left as it is.
    void SetDefaults();
    // Shows a camera's schedule; hides the picker.
    void Load(const TSchedule &schedule);
    // The schedule as the page shows it, whatever the options' state.
    TSchedule Values() const;
    // The weekday grid enabled with its option; the special dates grid, "+" and "-" with theirs.
    void UpdateEnabling();

    // Cells by grid row and column as the page numbers them: row 0 is the header row; in the weekday grid
    // column 0 holds the day names. Grid 2 has one row per special date plus the header.
    QString WeekdayCell(int row, int col) const;
    QString DateCell(int row, int col) const;
    int DateRowCount() const; // rows including the header

    // Selecting a cell opens the picker over it (time mode, or date mode in the first column of the special
    // dates grid) and remembers the cell. Fixed cells and disabled grids do nothing.
    void StringGrid1SelectCell(int col, int row);
    void StringGrid2SelectCell(int col, int row);
    // The picker's value written back into the remembered cell.
    void DateTimePicker1Change();
    void SpeedButton5Click(); // "+"
    void SpeedButton6Click(); // "-"

    QCheckBox *CheckBox7;     // daily periods
    QCheckBox *CheckBox8;     // special dates
    QTableWidget *StringGrid1;
    QTableWidget *StringGrid2;
    QToolButton *SpeedButton5;
    QToolButton *SpeedButton6;
    QDateTimeEdit *DateTimePicker1;

    QTableWidget *CurrTable = nullptr;
    int CurrTableCol = -1;
    int CurrTableRow = -1;

private:
    void AppendDefaultDate();
    void SetDateRow(int row, const TAdditionalDate &date);
    void OpenPicker(QTableWidget *grid, int col, int row);
    void SetCellText(QTableWidget *grid, int tableRow, int col, const QString &text);
    void HidePicker();

    int m_grid2Row = 1; // the special dates grid's current row (last selected), 1 at first
    bool m_filling = false;
};
