// The library's pure parts: reading the gateway's answers (any bytes) and choosing which inbound
// messages go into one result buffer.
#include "gatewayanswers.h"
#include "inbound.h"

#include <QtTest>

using namespace smsengine;

namespace {

TInboundMessage Message(qint64 id, const QString &text, const QString &sender = QStringLiteral("4915100000"))
{
    return {id, sender, QStringLiteral("2026-03-04T05:06:07Z"), text};
}

// Acknowledges every identifier and records what it was asked.
struct TFakeGateway
{
    QList<qint64> asked;
    TAcknowledge Acknowledge()
    {
        return [this](qint64 id, QString &) {
            asked << id;
            return true;
        };
    }
};

const QDateTime Now = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));

} // namespace

class TestSMSInbound : public QObject
{
    Q_OBJECT

private slots:
    void repliesPageReadsFieldsAndDropsUnusableEntries()
    {
        const TRepliesPage page = ParseRepliesPage(R"({"page": 2, "limit": 100, "pageCount": 3, "resources": [
            {"id": 17, "sender": "447700900000", "messageTime": "2026-01-01T10:00:00+0000", "text": "ON"},
            {"id": "18", "sender": 447700900001, "text": "OFF"},
            {"id": -3, "sender": "1", "text": "negative id"},
            {"id": 1.5, "sender": "1", "text": "fractional id"},
            {"sender": "1", "text": "no id"},
            "not an object", 42, null,
            {"id": 19}]})");
        QVERIFY(page.Valid);
        QCOMPARE(page.Page, 2);
        QCOMPARE(page.PageCount, 3);
        QCOMPARE(page.Messages.size(), 3);
        QCOMPARE(page.Messages[0].Id, 17);
        QCOMPARE(page.Messages[0].Text, QStringLiteral("ON"));
        QCOMPARE(page.Messages[1].Id, 18);
        QCOMPARE(page.Messages[1].Sender, QStringLiteral("447700900001"));
        QCOMPARE(page.Messages[2].Id, 19);
        QVERIFY(page.Messages[2].Text.isEmpty());
    }

    void malformedAnswersAreRejectedWithoutHarm_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("html") << QByteArray("<html>502 Bad Gateway</html>") << false;
        QTest::newRow("array") << QByteArray("[1,2,3]") << false;
        QTest::newRow("truncated") << QByteArray("{\"resources\": [{\"id\": 1, \"text\": \"a") << false;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{\"id\"", 7) << false;
        QTest::newRow("empty object") << QByteArray("{}") << true;
        QTest::newRow("resources not a list") << QByteArray(R"({"resources": {"id": 1}})") << true;
        QTest::newRow("absurd page count") << QByteArray(R"({"pageCount": 1e300, "resources": []})") << true;
    }
    void malformedAnswersAreRejectedWithoutHarm()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, valid);
        const TRepliesPage page = ParseRepliesPage(body);
        QCOMPARE(page.Valid, valid);
        QVERIFY(page.Messages.isEmpty());
        QCOMPARE(page.PageCount, 1);
    }

    void errorMessageIsTheMessageField()
    {
        QCOMPARE(ErrorMessage(R"({"code": 401, "message": " Invalid key "})"), QStringLiteral("Invalid key"));
        QVERIFY(ErrorMessage(R"({"code": 500})").isEmpty());
        QVERIFY(ErrorMessage(R"({"message": 12})").isEmpty());
        QVERIFY(ErrorMessage("Internal Server Error").isEmpty());
    }

    void gatewayTimesBecomeLocalFixedForm_data()
    {
        QTest::addColumn<QString>("gatewayTime");
        QTest::addColumn<QDateTime>("moment");
        const QDateTime utc(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
        QTest::newRow("compact offset") << "2026-03-04T05:06:07+0000" << utc;
        QTest::newRow("Z") << "2026-03-04T05:06:07Z" << utc;
        QTest::newRow("offset with colon") << "2026-03-04T07:06:07+02:00" << utc;
        QTest::newRow("negative compact offset") << "2026-03-04T00:06:07-0500" << utc;
        QTest::newRow("garbage gives the fallback") << "yesterday" << Now;
        QTest::newRow("missing gives the fallback") << "" << Now;
    }
    void gatewayTimesBecomeLocalFixedForm()
    {
        QFETCH(QString, gatewayTime);
        QFETCH(QDateTime, moment);
        QCOMPARE(LocalTimeText(gatewayTime, Now), moment.toLocalTime().toString("MM/dd/yy hh:mm:ss"));
    }

    void recordsKeepTheSeparatorOutOfTheirFields()
    {
        TInboundMessage message = Message(1, QStringLiteral("ON {#}Door{#}"), QStringLiteral("12{#}3"));
        message.Text.append(QChar(0));
        const QString record = InboundRecord(message, QStringLiteral("01/02/26 03:04:05"));
        QCOMPARE(record, QStringLiteral("ON (#)Door(#) {#}12(#)3{#}01/02/26 03:04:05{#}"));
        QCOMPARE(record.count(FieldSeparator), 3);
    }

    void messagesGoOldestFirstOnlyAfterTheirRemoval()
    {
        TFakeGateway gateway;
        const TDelivery delivery =
            DeliverInbound({Message(30, "c"), Message(10, "a"), Message(20, "b"), Message(10, "a")}, 499,
                           gateway.Acknowledge(), Now);
        QVERIFY(delivery.Ok);
        QCOMPARE(gateway.asked, (QList<qint64>{10, 20, 30}));
        QVERIFY(delivery.Text.startsWith("a{#}"));
        QCOMPARE(delivery.Text.count(FieldSeparator), 9);
        QVERIFY(delivery.Text.indexOf("b{#}") < delivery.Text.indexOf("c{#}"));
    }

    void aMessageThatDoesNotFitWaitsAndHoldsBackNewerOnes()
    {
        const QString tail = InboundRecord(Message(1, QString()), LocalTimeText({}, Now));
        TFakeGateway gateway;
        const qsizetype capacity = 2 * (tail.size() + 10);
        const TDelivery delivery = DeliverInbound(
            {Message(1, QString(10, 'a')), Message(2, QString(11, 'b')), Message(3, QString(1, 'c'))}, capacity,
            gateway.Acknowledge(), Now);
        QVERIFY(delivery.Ok);
        QCOMPARE(gateway.asked, QList<qint64>{1});
        QVERIFY(delivery.Text.size() <= capacity);
        QVERIFY(!delivery.Text.contains('b') && !delivery.Text.contains('c'));
    }

    void aCutNeverSplitsASurrogatePair()
    {
        const QString tail = InboundRecord(Message(1, QString()), LocalTimeText({}, Now));
        QString emoji;
        for (int i = 0; i < 40; ++i)
            emoji += QString::fromUcs4(U"\U0001F600");
        const QString cut = CutRecord(Message(7, emoji), LocalTimeText({}, Now), tail.size() + 7);
        QCOMPARE(cut.size(), tail.size() + 6);
        QVERIFY(cut.at(5).isLowSurrogate());
    }
};

QTEST_GUILESS_MAIN(TestSMSInbound)
#include "tst_smsinbound.moc"
