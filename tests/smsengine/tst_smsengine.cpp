// libsmsengine.so through its C interface, against the gateway stand-in on loopback: sending, the error
// texts in small buffers, inbound messages delivered exactly once and in order, refused accounts.
#include "smsgatewayprocess.h"
#include "testpaths.h"

#include <QLibrary>
#include <QtTest>

#include <array>

namespace {

using TSendSMS = unsigned char (*)(const char16_t *, const char16_t *, const char16_t *, const char16_t *,
                                   char16_t *, qint32);
using TAccountCall = unsigned char (*)(const char16_t *, const char16_t *, char16_t *, qint32);

const QString User = QStringLiteral("alice");
const QString Key = QStringLiteral("k3y");
constexpr char16_t GuardUnit = 0xBEEF;
constexpr int GuardUnits = 8;

const char16_t *Utf16(const QString &text) { return reinterpret_cast<const char16_t *>(text.utf16()); }

// A result buffer of the given size followed by guard units that no call may touch.
class TGuardedBuffer
{
public:
    explicit TGuardedBuffer(int size) : m_size(size), m_units(size_t(size + GuardUnits), GuardUnit)
    {
        std::fill_n(m_units.begin(), size, u' ');
    }
    char16_t *Data() { return m_units.data(); }
    qint32 Size() const { return m_size; }
    bool GuardIntact() const
    {
        return std::all_of(m_units.begin() + m_size, m_units.end(), [](char16_t c) { return c == GuardUnit; });
    }
    // A NUL lies inside the buffer.
    bool Terminated() const { return std::find(m_units.begin(), m_units.begin() + m_size, u'\0') != m_units.begin() + m_size; }
    // The text up to the NUL (up to the buffer's end when there is none).
    QString Text() const
    {
        const auto end = std::find(m_units.begin(), m_units.begin() + m_size, u'\0');
        return QString::fromUtf16(m_units.data(), end - m_units.begin());
    }

private:
    int m_size;
    std::vector<char16_t> m_units;
};

struct TInbound
{
    QString text, sender, time;
};

// Reads a GetSMS text the way the command processor does: three fields, each followed by "{#}".
QList<TInbound> Records(const QString &text)
{
    QList<TInbound> records;
    const QString separator = QStringLiteral("{#}");
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype a = text.indexOf(separator, at);
        const qsizetype b = a < 0 ? -1 : text.indexOf(separator, a + 3);
        const qsizetype c = b < 0 ? -1 : text.indexOf(separator, b + 3);
        if (c < 0)
            break;
        records.append({text.mid(at, a - at), text.mid(a + 3, b - a - 3), text.mid(b + 3, c - b - 3)});
        at = c + 3;
    }
    return records;
}

} // namespace

class TestSMSEngine : public QObject
{
    Q_OBJECT

    QLibrary m_library{BuiltFile(QStringLiteral("libsmsengine.so"))};
    TSendSMS m_send = nullptr;
    TAccountCall m_get = nullptr;
    TAccountCall m_check = nullptr;
    TSMSGateway m_gateway;

    unsigned char Send(TGuardedBuffer &buffer, const QString &phone, const QString &text, const QString &key = Key)
    {
        return m_send(Utf16(User), Utf16(key), Utf16(phone), Utf16(text), buffer.Data(), buffer.Size());
    }
    unsigned char Get(TGuardedBuffer &buffer, const QString &key = Key)
    {
        return m_get(Utf16(User), Utf16(key), buffer.Data(), buffer.Size());
    }
    QList<qint64> Queue(int count, const QString &prefix)
    {
        QJsonArray messages;
        for (int i = 1; i <= count; ++i)
            messages.append(QJsonObject{{"text", QString("%1 %2").arg(prefix).arg(i, 2, 10, QChar('0'))},
                                        {"sender", QString("+4917%1").arg(i, 7, 10, QChar('0'))}});
        return m_gateway.QueueInbound(messages);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
        m_send = reinterpret_cast<TSendSMS>(m_library.resolve("SendSMS"));
        m_get = reinterpret_cast<TAccountCall>(m_library.resolve("GetSMS"));
        m_check = reinterpret_cast<TAccountCall>(m_library.resolve("CheckSMSAccount"));
        QVERIFY(m_send && m_get && m_check);
        QVERIFY(m_gateway.Start({"--user", User, "--key", Key}));
    }
    void init() { m_gateway.Reset(); }

    void sendReachesTheGatewayWithTheAccount()
    {
        const QString text = QStringLiteral("Движение: камера \"Дверь\" 😀 & <ok>");
        TGuardedBuffer buffer(50);
        QCOMPARE(Send(buffer, "+447700900123", text), 1);
        QVERIFY(buffer.GuardIntact() && buffer.Terminated());
        QCOMPARE(buffer.Text(), QString());
        const QJsonArray sent = m_gateway.Sent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0]["text"].toString(), text);
        QCOMPARE(sent[0]["phones"].toString(), QStringLiteral("+447700900123"));
        QCOMPARE(sent[0]["username"].toString(), User);
        QCOMPARE(sent[0]["key"].toString(), Key);
    }

    void sendErrorTextsNeverOverrunTheBuffer_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 48, 49, 50, 51, 120, 500})
            QTest::addRow("%d characters", length) << length;
    }
    void sendErrorTextsNeverOverrunTheBuffer()
    {
        QFETCH(int, length);
        QString message;
        for (int i = 0; i < length; ++i)
            message += QChar(u'A' + i % 26);
        m_gateway.SetMode({{"sendError", QJsonObject{{"status", 422}, {"message", message}}}});
        TGuardedBuffer buffer(50);
        QCOMPARE(Send(buffer, "123", "hello"), 0);
        QVERIFY(buffer.GuardIntact() && buffer.Terminated());
        const QString expected = length == 0 ? QStringLiteral("HTTP status 422") : message.left(49);
        QCOMPARE(buffer.Text(), expected);
        QVERIFY(m_gateway.Sent().isEmpty());
    }

    void sendErrorWithoutMessageGivesTheStatusOrTheTransferError()
    {
        m_gateway.SetMode({{"sendError", QJsonObject{{"status", 503}, {"message", QJsonValue::Null},
                                                      {"body", "Service Unavailable"}}}});
        TGuardedBuffer buffer(50);
        QCOMPARE(Send(buffer, "123", "hello"), 0);
        QCOMPARE(buffer.Text(), QStringLiteral("HTTP status 503"));

        // Nobody listening: libcurl's reason, cut to the buffer.
        const QByteArray url = qgetenv("SMSENGINE_URL");
        qputenv("SMSENGINE_URL", "http://127.0.0.1:1");
        TGuardedBuffer refused(20);
        QCOMPARE(Send(refused, "123", "hello"), 0);
        qputenv("SMSENGINE_URL", url);
        QVERIFY(refused.GuardIntact() && refused.Terminated());
        QVERIFY2(refused.Text().size() > 5 && refused.Text().size() <= 19, qPrintable(refused.Text()));
    }

    void theServicesCertificateIsVerified()
    {
        const QByteArray plainUrl = qgetenv("SMSENGINE_URL");
        TSMSGateway tls;
        const bool started = tls.Start({"--user", User, "--key", Key, "--tls-cert",
                                        TestDataFile(QStringLiteral("selfsigned-localhost.pem")), "--tls-key",
                                        TestDataFile(QStringLiteral("selfsigned-localhost.key"))});
        TGuardedBuffer buffer(50);
        const unsigned char result = started ? Send(buffer, "123", "hello") : 2;
        qputenv("SMSENGINE_URL", plainUrl);
        QVERIFY(started && tls.Url().startsWith("https://"));
        QCOMPARE(result, 0);
        QVERIFY2(buffer.Text().contains("certificate"), qPrintable(buffer.Text()));
        QVERIFY(tls.Requests().isEmpty());
    }

    void aWrongKeyFailsWithTheServicesMessage()
    {
        Queue(2, "ON");
        TGuardedBuffer send(50), get(50), check(50);
        QCOMPARE(Send(send, "123", "hello", "wrong"), 0);
        QCOMPARE(send.Text(), QStringLiteral("Invalid username or API key"));
        QCOMPARE(Get(get, "wrong"), 0);
        QCOMPARE(get.Text(), QStringLiteral("Invalid username or API key"));
        QCOMPARE(m_check(Utf16(User), Utf16("wrong"), check.Data(), check.Size()), 0);
        QCOMPARE(check.Text(), QStringLiteral("Invalid username or API key"));
        QVERIFY(send.GuardIntact() && get.GuardIntact() && check.GuardIntact());
        QCOMPARE(m_gateway.Inbound().size(), 2);
        QVERIFY(m_gateway.Sent().isEmpty());
    }

    void checkingTheAccountConsumesNothing()
    {
        Queue(3, "STATUS");
        TGuardedBuffer buffer(50);
        QCOMPARE(m_check(Utf16(User), Utf16(Key), buffer.Data(), buffer.Size()), 1);
        QVERIFY(buffer.Terminated());
        QCOMPARE(buffer.Text(), QString());
        QCOMPARE(m_gateway.Inbound().size(), 3);
        for (const QJsonValue &request : m_gateway.Requests())
            QVERIFY2(request["method"].toString() == "GET" && request["path"].toString() == "/api/v2/user",
                     qPrintable(request["path"].toString()));
    }

    void thirtyInboundMessagesArriveExactlyOnceInOrder()
    {
        const QList<qint64> ids = Queue(30, "message");
        QCOMPARE(ids.size(), 30);
        QList<TInbound> received;
        int calls = 0;
        for (; calls < 40; ++calls) {
            TGuardedBuffer buffer(500);
            QCOMPARE(Get(buffer), 1);
            QVERIFY(buffer.GuardIntact() && buffer.Terminated());
            const QString text = buffer.Text();
            QVERIFY(text.size() <= 499);
            if (text.isEmpty())
                break;
            const QList<TInbound> records = Records(text);
            QVERIFY(!records.isEmpty());
            // Nothing but whole records.
            QCOMPARE(text.count("{#}"), records.size() * 3);
            received += records;
        }
        QVERIFY2(calls > 2, "30 messages should need several 500-unit calls");
        QCOMPARE(received.size(), 30);
        static const QRegularExpression fixedForm("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$");
        for (int i = 0; i < 30; ++i) {
            QCOMPARE(received[i].text, QString("message %1").arg(i + 1, 2, 10, QChar('0')));
            QCOMPARE(received[i].sender, QString("+4917%1").arg(i + 1, 7, 10, QChar('0')));
            QVERIFY2(fixedForm.match(received[i].time).hasMatch(), qPrintable(received[i].time));
        }
        QVERIFY(m_gateway.Inbound().isEmpty());
    }

    void allPagesAreReadOldestFirst()
    {
        Queue(130, "m");
        TGuardedBuffer buffer(200000);
        QCOMPARE(Get(buffer), 1);
        const QList<TInbound> records = Records(buffer.Text());
        QCOMPARE(records.size(), 130);
        for (int i = 0; i < 130; ++i)
            QCOMPARE(records[i].text, QString("m %1").arg(i + 1, 2, 10, QChar('0')));
        QVERIFY(m_gateway.Inbound().isEmpty());
    }

    void aFailedRemovalKeepsTheMessageForLater()
    {
        const QList<qint64> ids = Queue(3, "cmd");
        m_gateway.SetMode({{"failDelete", QJsonObject{{QString::number(ids[1]), 1}}}});
        TGuardedBuffer first(500);
        QCOMPARE(Get(first), 1);
        QList<TInbound> records = Records(first.Text());
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].text, QStringLiteral("cmd 01"));

        TGuardedBuffer second(500);
        QCOMPARE(Get(second), 1);
        records = Records(second.Text());
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].text, QStringLiteral("cmd 02"));
        QCOMPARE(records[1].text, QStringLiteral("cmd 03"));

        // Refused for the oldest message: the call fails and delivers nothing; the message comes next time.
        const QList<qint64> more = Queue(1, "late");
        m_gateway.SetMode({{"failDelete", QJsonObject{{QString::number(more[0]), 1}}}});
        TGuardedBuffer failed(50);
        QCOMPARE(Get(failed), 0);
        QCOMPARE(failed.Text(), QStringLiteral("Could not delete the message"));
        TGuardedBuffer again(500);
        QCOMPARE(Get(again), 1);
        QCOMPARE(Records(again.Text()).size(), 1);
    }

    void separatorsInsideTextsAndOversizeMessages()
    {
        m_gateway.QueueInbound(QJsonArray{QJsonObject{{"text", "ON {#}Door{#}"}, {"sender", "111"}},
                                          QJsonObject{{"text", QString(700, 'x')}, {"sender", "222"}},
                                          QJsonObject{{"text", "STATUS"}, {"sender", "333"}}});
        TGuardedBuffer first(500);
        QCOMPARE(Get(first), 1);
        QList<TInbound> records = Records(first.Text());
        QCOMPARE(records.size(), 1); // the long one does not fit beside it
        QCOMPARE(records[0].text, QStringLiteral("ON (#)Door(#)"));
        QCOMPARE(records[0].sender, QStringLiteral("111"));

        TGuardedBuffer second(500);
        QCOMPARE(Get(second), 1);
        QVERIFY(second.GuardIntact());
        QCOMPARE(second.Text().size(), 499);
        records = Records(second.Text());
        QCOMPARE(records.size(), 1);
        QVERIFY(records[0].text.startsWith("xxxx"));
        QCOMPARE(records[0].sender, QStringLiteral("222"));

        TGuardedBuffer third(500);
        QCOMPARE(Get(third), 1);
        records = Records(third.Text());
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].text, QStringLiteral("STATUS"));
        QVERIFY(m_gateway.Inbound().isEmpty());
    }

    void smallBuffersAndNullArguments()
    {
        Queue(1, "ON");
        TGuardedBuffer tiny(1);
        QCOMPARE(Get(tiny), 0); // no room for any message: it stays
        QVERIFY(tiny.GuardIntact() && tiny.Terminated());
        QCOMPARE(m_gateway.Inbound().size(), 1);
        QCOMPARE(m_get(Utf16(User), Utf16(Key), nullptr, 500), 0);
        TGuardedBuffer buffer(50);
        QCOMPARE(m_send(nullptr, nullptr, nullptr, nullptr, buffer.Data(), buffer.Size()), 0);
        QCOMPARE(buffer.Text(), QStringLiteral("Invalid username or API key"));
        QCOMPARE(m_gateway.Inbound().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSMSEngine)
#include "tst_smsengine.moc"
