// The pure parts of the SMS remote control: reading the gateway's response, recognising commands,
// addressing cameras, composing replies and the allowed sender numbers.
#include "core/clock.h"
#include "core/datetime.h"
#include "smscontrol/smscommands.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const TSMSCommandWords DefaultWords{"OFF", "ON", "STATUS", "SHOT"};

TSMSReplyTexts EnglishTexts()
{
    TSMSReplyTexts t = TSMSReplyTexts::Translated(); // no table loaded: the English keys
    return t;
}

TCameraOutcome Outcome(const QString &title, bool working, bool monitoring, bool email = false)
{
    return {title, working, monitoring, email};
}

} // namespace

class TestSMSCommands : public QObject
{
    Q_OBJECT

private slots:
    void parserReadsEveryCompleteMessage()
    {
        const QList<TSMS> messages =
            ParseSMSResponse("OFF Door{#}+491701234567{#}12/31/24 23:59:58{#}status{#}+15550001{#}01/02/25 08:07:06{#}");
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].SMSText, QString("OFF Door"));
        QCOMPARE(messages[0].SenderPhoneNumber, QString("+491701234567"));
        QCOMPARE(messages[0].DateTime, dt::EncodeDate(2024, 12, 31) + dt::EncodeTime(23, 59, 58));
        QCOMPARE(messages[1].SMSText, QString("status"));
        QCOMPARE(messages[1].SenderPhoneNumber, QString("+15550001"));
        QCOMPARE(messages[1].DateTime, dt::EncodeDate(2025, 1, 2) + dt::EncodeTime(8, 7, 6));
    }

    void parserStopsAtACutOffMessage_data()
    {
        QTest::addColumn<QString>("response");
        QTest::addColumn<QStringList>("texts");
        const QString whole = "status{#}+1{#}01/02/25 08:07:06{#}";
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("no separator") << "status" << QStringList();
        QTest::newRow("only the text") << whole + "OFF{#}" << QStringList{"status"};
        QTest::newRow("text and number") << whole + "OFF{#}+2{#}01/02/25" << QStringList{"status"};
        QTest::newRow("separator cut in half") << whole + "OFF{#}+2{#}01/02/25 08:07:06{" << QStringList{"status"};
        QTest::newRow("tail without separator") << whole + "OF" << QStringList{"status"};
        // An empty message text is still a message (it will be answered as not recognised).
        QTest::newRow("empty text") << "{#}+1{#}01/02/25 08:07:06{#}" << QStringList{""};
        // The library writes a separator inside a text as "(#)".
        QTest::newRow("escaped separator") << "a(#)b{#}+1{#}x{#}" << QStringList{"a(#)b"};
    }
    void parserStopsAtACutOffMessage()
    {
        QFETCH(QString, response);
        QFETCH(QStringList, texts);
        QStringList parsed;
        for (const TSMS &message : ParseSMSResponse(response))
            parsed << message.SMSText;
        QCOMPARE(parsed, texts);
    }

    // Any text, however broken: no crash, no field holding a separator, no text read twice.
    void parserSurvivesRandomResponses()
    {
        QRandomGenerator random(20261209);
        const QStringList pieces = {"{#}", "{", "#", "}", "(#)", "a", "OFF ", "+49", "12/31/24 23:59:59", " ", "\n", "é"};
        for (int round = 0; round < 3000; ++round) {
            QString response;
            const int length = int(random.bounded(40));
            for (int i = 0; i < length; ++i)
                response += pieces[int(random.bounded(pieces.size()))];
            qsizetype consumed = 0;
            for (const TSMS &message : ParseSMSResponse(response)) {
                QVERIFY(!message.SMSText.contains("{#}") && !message.SenderPhoneNumber.contains("{#}"));
                consumed += message.SMSText.size() + message.SenderPhoneNumber.size() + 6;
            }
            QVERIFY(consumed <= response.size());
        }
    }

    void recognition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("argument");
        QTest::newRow("word alone, upper case") << "OFF" << int(TSMSCommand::Disable) << "";
        QTest::newRow("word alone, mixed case") << "oFf" << int(TSMSCommand::Disable) << "";
        QTest::newRow("word and cameras") << "Off  Door, Yard  " << int(TSMSCommand::Disable) << "door, yard";
        QTest::newRow("enable") << "on Door" << int(TSMSCommand::Enable) << "door";
        QTest::newRow("status") << "Status" << int(TSMSCommand::Status) << "";
        QTest::newRow("snapshot") << "SHOT yard" << int(TSMSCommand::Snapshot) << "yard";
        // No separator is needed after the word: the letters after it are the argument.
        QTest::newRow("word glued to letters") << "offline" << int(TSMSCommand::Disable) << "line";
        QTest::newRow("one more letter") << "ONE" << int(TSMSCommand::Enable) << "e";
        QTest::newRow("not at the start") << " OFF" << int(TSMSCommand::None) << "";
        QTest::newRow("other text") << "hello" << int(TSMSCommand::None) << "";
        QTest::newRow("empty text") << "" << int(TSMSCommand::None) << "";
    }
    void recognition()
    {
        QFETCH(QString, text);
        QFETCH(int, command);
        QFETCH(QString, argument);
        const TRecognisedCommand recognised = RecogniseCommand(text, DefaultWords);
        QCOMPARE(int(recognised.Command), command);
        QCOMPARE(recognised.Argument, argument);
    }

    // The first word in the order disable, enable, status, snapshot wins; an empty word never matches.
    void recognitionOrderAndEmptyWords()
    {
        QCOMPARE(RecogniseCommand("ONOFF", {"ONO", "ON", "", ""}).Command, TSMSCommand::Disable);
        QCOMPARE(RecogniseCommand("STATUS", {"", "", "ST", "STATUS"}).Command, TSMSCommand::Status);
        QCOMPARE(RecogniseCommand("anything", {"", "", "", ""}).Command, TSMSCommand::None);
        QCOMPARE(RecogniseCommand("", {"", "", "", ""}).Command, TSMSCommand::None);
        const TRecognisedCommand shot = RecogniseCommand("shot", {"", "", "", "SHOT"});
        QCOMPARE(shot.Command, TSMSCommand::Snapshot);
    }

    void recognitionLowerCasesOtherAlphabets()
    {
        const TRecognisedCommand command =
            RecogniseCommand(QStringLiteral("ВЫКЛ Дверь"), {QStringLiteral("выкл"), "ON", "STATUS", "SHOT"}, QLocale(QLocale::Russian));
        QCOMPARE(command.Command, TSMSCommand::Disable);
        QCOMPARE(command.Argument, QStringLiteral("дверь"));
    }

    void addressing()
    {
        const QStringList titles = {"Door", "Door 2", "Yard"};
        QCOMPARE(AddressedCameras(titles, ""), (QList<int>{0, 1, 2}));
        // A title contained in another title is addressed whenever the other one is named.
        QCOMPARE(AddressedCameras(titles, "door 2"), (QList<int>{0, 1}));
        QCOMPARE(AddressedCameras(titles, "yard,door"), (QList<int>{0, 2}));
        QCOMPARE(AddressedCameras(titles, "garage"), QList<int>{});
        QCOMPARE(AddressedCameras({}, ""), QList<int>{});
    }

    void replies()
    {
        const TSMSReplyTexts t = EnglishTexts();
        const auto reply = [&](const QString &text, QList<TCameraOutcome> outcomes) {
            return ComposeReply(text, RecogniseCommand(text, DefaultWords), outcomes, t);
        };
        const QList<TCameraOutcome> two = {Outcome("Door", true, true), Outcome("Yard", false, false)};

        TSMSReply r = reply("OFF", two);
        QCOMPARE(r.Text, QString("Monitoring is stopped on all cameras"));
        QVERIFY(r.Send && !r.Log);
        QCOMPARE(reply("off door, yard", two).Text, QString("Monitoring is stopped on cameras:Door, Yard, "));
        QCOMPARE(reply("ON", two).Text, QString("Monitoring is started on all cameras"));
        QCOMPARE(reply("ON yard", {two[1]}).Text, QString("Monitoring is started on cameras:Yard, "));
        QCOMPARE(reply("status", two).Text,
                 QString("Status of cameras:Door:working OK, monitoring OK; Yard:NOT working, ; "));
        QCOMPARE(reply("status door", {Outcome("Door", true, false)}).Text,
                 QString("Status of cameras:Door:working OK, monitoring is OFF; "));

        r = reply("OFF garage", {});
        QCOMPARE(r.Text, QString("Specified cameras do not exist. Therefore cannot run the command \"OFF garage\""));
        QVERIFY(r.Send && r.Log);
        r = reply("Hello there", {});
        QCOMPARE(r.Text, QString("SMS Command is not recognized: Hello there"));
        QVERIFY(r.Send && r.Log);

        // Snapshots: the email is the answer as soon as one addressed camera mails.
        r = reply("shot", {Outcome("Door", true, true, false), Outcome("Yard", true, true, true)});
        QVERIFY(!r.Send && !r.Log);
        r = reply("shot", {Outcome("Door", true, true, false)});
        QCOMPARE(r.Text, QString("Email delivery is disabled in cameras settings. Cannot send snapshot to your email."));
        QVERIFY(r.Send && r.Log);
    }

    void phoneNumbers()
    {
        QCOMPARE(NormalisePhoneNumber("+49 (170) 123-45 67"), QString("491701234567"));
        QCOMPARE(NormalisePhoneNumber("0049 170 1234567"), QString("491701234567"));
        QCOMPARE(NormalisePhoneNumber("491701234567"), QString("491701234567"));
        QCOMPARE(NormalisePhoneNumber("  "), QString());
        QCOMPARE(SplitPhoneNumberList(" +1 555, ;0049 170\n 3 "), (QStringList{"+1 555", "0049 170", "3"}));

        QVERIFY(IsSenderAllowed("+491701234567", {}));
        QVERIFY(IsSenderAllowed("+491701234567", {" ", "--"})); // nothing that is a number: everyone
        QVERIFY(IsSenderAllowed("491701234567", {"+1 555 0100", "0049 (170) 123-4567"}));
        QVERIFY(!IsSenderAllowed("+491701234568", {"0049 (170) 123-4567"}));
        QVERIFY(!IsSenderAllowed("", {"0049 (170) 123-4567"}));
        QVERIFY(!IsSenderAllowed("+4917012345670", {"+491701234567"}));
    }
};

QTEST_GUILESS_MAIN(TestSMSCommands)
#include "tst_smscommands.moc"
