#include "core/clock.h"
#include "core/timer.h"
#include "manualclock.h"

#include <QtTest>

class TestClock : public QObject
{
    Q_OBJECT
private slots:
    void dateTimeConversionsRoundTrip()
    {
        // 31 December 2024, 14:30:00 is day 45657 and a fraction of 14.5 hours.
        const TDateTime value = dt::EncodeDate(2024, 12, 31) + dt::EncodeTime(14, 30, 0);
        QCOMPARE(dt::DateOf(value), 45657.0);
        QCOMPARE(dt::ToQDateTime(value), QDateTime(QDate(2024, 12, 31), QTime(14, 30)));
        QCOMPARE(dt::DayOfTheWeek(value), 2); // a Tuesday
        // Just before midnight does not round onto the next day.
        const TDateTime late = dt::EncodeDate(2024, 12, 31) + dt::EncodeTime(23, 59, 59, 999);
        QCOMPARE(dt::ToQDate(late), QDate(2024, 12, 31));
    }

    void manualClockReplacesNowAndRestores()
    {
        const TDateTime before = Now();
        {
            TManualClock clock(dt::EncodeDate(2024, 1, 1));
            QCOMPARE(Now(), dt::EncodeDate(2024, 1, 1));
            clock.AddSeconds(90);
            QCOMPARE(dt::ToQTime(Now()), QTime(0, 1, 30));
        }
        QVERIFY(Now() >= before);
    }

    void busyGuardRefusesReentryAndClearsOnException()
    {
        int tag = 0;
        {
            TBusyGuard outer(tag);
            QVERIFY(bool(outer));
            QCOMPARE(tag, 1);
            TBusyGuard inner(tag);
            QVERIFY(!inner);
        }
        QCOMPARE(tag, 0);
        try {
            TBusyGuard guard(tag);
            throw 1;
        } catch (int) {
        }
        QCOMPARE(tag, 0);
    }

    void busyGuardRefusesDuringShutdown()
    {
        TTimer terminator(16000, false);
        SetShutdownMarker(&terminator);
        int tag = 0;
        terminator.SetEnabled(true);
        QVERIFY(!TBusyGuard(tag));
        terminator.SetEnabled(false);
        QVERIFY(bool(TBusyGuard(tag)));
        SetShutdownMarker(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
