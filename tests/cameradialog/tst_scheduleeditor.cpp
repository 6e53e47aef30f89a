// The schedule page: which grid cell belongs to which camera field, the in-place picker and the "+" / "-"
// buttons.
#include "cameradialog/scheduleeditor.h"
#include "core/clock.h"
#include "core/dateformat.h"
#include "core/main.h"

#include "freshservices.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

class TestScheduleEditor : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    std::unique_ptr<TScheduleEditor> m_editor;
    TScheduleEditor &E() { return *m_editor; }

    QStringList DateRow(int row) { return {E().DateCell(row, 0), E().DateCell(row, 1), E().DateCell(row, 2)}; }

private slots:
    void init()
    {
        m_services.Renew();
        m_editor = std::make_unique<TScheduleEditor>();
        E().SetCaptions();
        E().resize(600, 500);
        E().show();
        QVERIFY(QTest::qWaitForWindowExposed(&E()));
    }
    void cleanup() { m_editor.reset(); m_services.End(); }

    void headersDefaultsAndTheFieldOfEveryCell()
    {
        E().SetDefaults();
        QCOMPARE(E().WeekdayCell(0, 0), QString("Day"));
        QCOMPARE(E().WeekdayCell(0, 2), QString("End"));
        QCOMPARE(E().WeekdayCell(1, 0), QString("Monday"));
        QCOMPARE(E().WeekdayCell(7, 0), QString("Sunday"));
        QCOMPARE(E().DateCell(0, 0), QString("Date"));
        QCOMPARE(E().DateRowCount(), 2);
        const QString tomorrow = DateToStrFmt(Now() + 1);
        QCOMPARE(DateRow(1), (QStringList{tomorrow, "00:00:00", "23:59:59"}));
        const TSchedule defaults = E().Values();
        QVERIFY(!defaults.Daily && !defaults.Dates);
        QCOMPARE(defaults.AdditionalDates.size(), 1);

        // Row r of the weekday grid is field number r: Monday is 1, Sunday 7; an end before its start stays.
        TCamera camera;
        for (int day = 1; day <= 7; ++day) {
            camera.SchedulerStart(day) = dt::EncodeTime(day, 0, 0);
            camera.SchedulerEnd(day) = dt::EncodeTime(0, day, 7);
        }
        camera.scheduler_daily = true;
        camera.scheduler_AdditionalDates = {{dt::EncodeDate(2029, 7, 4), dt::EncodeTime(8, 0, 0), dt::EncodeTime(9, 30, 15)}};
        E().Load(ScheduleOf(camera));
        QCOMPARE(E().WeekdayCell(1, 1), QString("01:00:00"));
        QCOMPARE(E().WeekdayCell(1, 2), QString("00:01:07"));
        QCOMPARE(E().WeekdayCell(7, 1), QString("07:00:00"));
        QCOMPARE(E().WeekdayCell(7, 2), QString("00:07:07"));
        QCOMPARE(DateRow(1), (QStringList{"07/04/29", "08:00:00", "09:30:15"}));
        TCamera stored;
        ApplySchedule(stored, E().Values());
        QCOMPARE(ScheduleOf(stored), ScheduleOf(camera));

        // No special dates: the header row only, stored back as none.
        camera.scheduler_AdditionalDates.clear();
        E().Load(ScheduleOf(camera));
        QCOMPARE(E().DateRowCount(), 1);
        QVERIFY(E().Values().AdditionalDates.isEmpty());
    }

    void thePickerEditsTheCellItWasOpenedOn()
    {
        E().SetDefaults();
        // Disabled grids cannot be edited.
        E().StringGrid1SelectCell(1, 3);
        QVERIFY(!E().DateTimePicker1->isVisible());
        E().CheckBox7->click();
        E().CheckBox8->click();

        E().StringGrid1SelectCell(2, 3); // Wednesday's end
        QVERIFY(E().DateTimePicker1->isVisible());
        QCOMPARE(E().CurrTable, E().StringGrid1);
        const QRect cell = E().StringGrid1->visualRect(E().StringGrid1->model()->index(2, 2));
        QCOMPARE(E().DateTimePicker1->geometry(),
                 QRect(E().StringGrid1->viewport()->mapTo(&E(), cell.topLeft()), cell.size()));
        E().DateTimePicker1->setTime(QTime(23, 59, 58)); // one second less
        QCOMPARE(E().WeekdayCell(3, 2), QString("23:59:58"));
        QCOMPARE(E().WeekdayCell(3, 1), QString("00:00:00"));

        // The date column opens in date mode; a year beyond 2099 comes back as 20yy.
        E().StringGrid2SelectCell(0, 1);
        QVERIFY(E().DateTimePicker1->displayedSections() & QDateTimeEdit::YearSection);
        E().DateTimePicker1->setDate(QDate(2131, 5, 6));
        QCOMPARE(E().DateCell(1, 0), QString("05/06/31"));
        QCOMPARE(dt::ToQDate(E().Values().AdditionalDates[0].Date), QDate(2031, 5, 6));
        E().StringGrid2SelectCell(1, 1);
        QVERIFY(E().DateTimePicker1->displayedSections() & QDateTimeEdit::SecondSection);
        E().DateTimePicker1->setTime(QTime(6, 30, 0));
        QCOMPARE(E().DateCell(1, 1), QString("06:30:00"));

        // A mouse press on a cell opens it as well.
        const QRect dateCell = E().StringGrid2->visualRect(E().StringGrid2->model()->index(0, 2));
        QTest::mouseClick(E().StringGrid2->viewport(), Qt::LeftButton, {}, dateCell.center());
        QCOMPARE(E().CurrTableCol, 2);
        QCOMPARE(E().CurrTableRow, 1);
        // Switching the other grid's option off leaves the picker; switching its own off closes it.
        E().CheckBox7->click();
        QVERIFY(E().DateTimePicker1->isVisible());
        E().CheckBox8->click();
        QVERIFY(!E().DateTimePicker1->isVisible());
    }

    void plusAndMinus()
    {
        E().SetDefaults();
        E().CheckBox8->click();
        E().SpeedButton5->click();
        E().SpeedButton5->click();
        QCOMPARE(E().DateRowCount(), 4);
        QCOMPARE(DateRow(3), DateRow(1)); // duplicates are allowed
        E().StringGrid2SelectCell(1, 2);
        E().DateTimePicker1->setTime(QTime(2, 0, 0));
        E().StringGrid2SelectCell(1, 3);
        E().DateTimePicker1->setTime(QTime(3, 0, 0));
        E().StringGrid2SelectCell(1, 1); // current row 1; the picker is moved there
        E().SpeedButton6->click();
        QVERIFY(!E().DateTimePicker1->isVisible());
        QCOMPARE(E().DateRowCount(), 3);
        QCOMPARE(E().DateCell(1, 1), QString("02:00:00")); // rows below moved up
        QCOMPARE(E().DateCell(2, 1), QString("03:00:00"));
        E().SpeedButton6->click();
        QCOMPARE(E().DateRowCount(), 2);
        // The last row is never removed: the option goes off instead and the row is still stored.
        E().SpeedButton6->click();
        QCOMPARE(E().DateRowCount(), 2);
        QVERIFY(!E().CheckBox8->isChecked());
        QVERIFY(!E().SpeedButton5->isEnabled() && !E().StringGrid2->isEnabled());
        QCOMPARE(E().Values().AdditionalDates.size(), 1);
    }
};

QTEST_MAIN(TestScheduleEditor)
#include "tst_scheduleeditor.moc"
