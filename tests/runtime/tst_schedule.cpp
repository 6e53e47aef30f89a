#include "core/camera.h"
#include "runtime/schedule.h"

#include <QRegularExpression>
#include <QtTest>

// 1 January 2024 is a Monday.
class TestSchedule : public QObject
{
    Q_OBJECT

    static TDateTime Time(const QString &hhmm)
    {
        return dt::FromQTime(QTime::fromString(hhmm, hhmm.size() > 5 ? "hh:mm:ss" : "hh:mm"));
    }

private slots:
    void scheduledAt_data()
    {
        // weekly: "<weekday 1..7> <start>-<end>" entries; special: "<yyyy-MM-dd> <start>-<finish>" entries.
        QTest::addColumn<bool>("daily");
        QTest::addColumn<bool>("dates");
        QTest::addColumn<QString>("weekly");
        QTest::addColumn<QString>("special");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<bool>("expected");
        const QDate mon(2024, 1, 1), tue(2024, 1, 2);
        auto row = [](const char *name, bool daily, bool dates, const char *weekly, const char *special, QDate d,
                      QTime t, bool expected) {
            QTest::newRow(name) << daily << dates << QString(weekly) << QString(special) << QDateTime(d, t) << expected;
        };
        row("start exactly", true, false, "1 08:00-17:00", "", mon, QTime(8, 0), false);
        row("end exactly", true, false, "1 08:00-17:00", "", mon, QTime(17, 0), false);
        row("one second in", true, false, "1 08:00-17:00", "", mon, QTime(8, 0, 1), true);
        row("last second", true, false, "1 08:00-17:00", "", mon, QTime(16, 59, 59), true);
        row("other weekday", true, false, "1 08:00-17:00", "", tue, QTime(12, 0), false);
        row("midnight: early part", true, false, "1 22:00-06:00", "", mon, QTime(5, 0), true);
        row("midnight: late part", true, false, "1 22:00-06:00", "", mon, QTime(23, 0), true);
        row("midnight: middle of day", true, false, "1 22:00-06:00", "", mon, QTime(12, 0), false);
        row("midnight: next day is its own", true, false, "1 22:00-06:00", "", tue, QTime(5, 0), false);
        row("midnight: next day's entry", true, false, "1 22:00-06:00,2 04:00-05:30", "", tue, QTime(5, 0), true);
        row("equal ends at midnight", true, false, "1 00:00-00:00", "", mon, QTime(0, 0), false);
        row("equal ends at noon", true, false, "1 12:00-12:00", "", mon, QTime(15, 0), false);
        row("special inside", true, true, "1 08:00-20:00", "2024-01-01 10:00-12:00", mon, QTime(11, 0), true);
        row("special replaces the day", true, true, "1 08:00-20:00", "2024-01-01 10:00-12:00", mon, QTime(15, 0), false);
        row("special other day", true, true, "2 08:00-20:00", "2024-01-01 10:00-12:00", tue, QTime(15, 0), true);
        row("special with equal ends", true, true, "1 00:00-23:59", "2024-01-01 09:00-09:00", mon, QTime(12, 0), false);
        row("two windows: first", false, true, "", "2024-01-01 08:00-09:00,2024-01-01 18:00-19:00", mon, QTime(8, 30), true);
        row("two windows: second", false, true, "", "2024-01-01 08:00-09:00,2024-01-01 18:00-19:00", mon, QTime(18, 30), true);
        row("two windows: between", false, true, "", "2024-01-01 08:00-09:00,2024-01-01 18:00-19:00", mon, QTime(12, 0), false);
        row("dates on, none today", true, true, "1 08:00-17:00", "2024-01-05 10:00-12:00", mon, QTime(9, 0), true);
        row("dates only, empty list", false, true, "1 08:00-17:00", "", mon, QTime(9, 0), false);
        row("schedule off", false, false, "1 08:00-17:00", "2024-01-01 00:00-23:00", mon, QTime(9, 0), false);
        row("daily off ignores weekdays", false, true, "1 08:00-17:00", "2024-01-01 10:00-12:00", mon, QTime(9, 0), false);
    }

    void scheduledAt()
    {
        QFETCH(bool, daily);
        QFETCH(bool, dates);
        QFETCH(QString, weekly);
        QFETCH(QString, special);
        QFETCH(QDateTime, moment);
        QFETCH(bool, expected);
        TCamera camera;
        camera.scheduler_daily = daily;
        camera.scheduler_dates = dates;
        static const QRegularExpression entry(R"((\S+) (\d\d:\d\d)-(\d\d:\d\d))");
        for (const QString &part : weekly.split(',', Qt::SkipEmptyParts)) {
            const auto m = entry.match(part);
            // Stored periods carry some date part; only their time of day may count.
            camera.SchedulerStart(m.captured(1).toInt()) = 40000 + Time(m.captured(2));
            camera.SchedulerEnd(m.captured(1).toInt()) = Time(m.captured(3));
        }
        for (const QString &part : special.split(',', Qt::SkipEmptyParts)) {
            const auto m = entry.match(part);
            const TDateTime day = dt::FromQDate(QDate::fromString(m.captured(1), Qt::ISODate));
            camera.scheduler_AdditionalDates.append({day + 0.75, 3 + Time(m.captured(2)), Time(m.captured(3))});
        }
        QCOMPARE(ScheduledAt(camera, dt::FromQDateTime(moment)), expected);
    }
};

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
