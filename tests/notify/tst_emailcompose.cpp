// What goes into an email before any server is involved: recipient lists, encoded header texts, header
// injection, which snapshots are attached for which kind and settings, the texts by kind and language, and
// the guards of the Email_Timer handler.
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/timer.h"
#include "core/translation.h"
#include "core/windowsink.h"
#include "notify/email.h"
#include "notify/emailcompose.h"
#include "notify/mailservice.h"
#include "runtime/housekeeping.h"
#include "testpaths.h"

#include "freshservices.h"
#include "mailpeers.h"
#include "manualclock.h"
#include "recordingwindowsink.h"

#include <QtTest>

namespace {

// Decodes one "=?UTF-8?B?...?=" word; an empty text when it is not one or not whole UTF-8.
QString DecodeWord(const QByteArray &word)
{
    if (!word.startsWith("=?UTF-8?B?") || !word.endsWith("?="))
        return {};
    const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList Names(const QList<TMailAttachment> &attachments)
{
    QStringList names;
    for (const TMailAttachment &attachment : attachments)
        names << attachment.FileName;
    return names;
}

} // namespace

class TestEmailCompose : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

private slots:
    void init() { m_services.Renew(); }
    void cleanup() { m_services.End(); }

    void recipientLists()
    {
        QCOMPARE(MailAddresses("a@x.org, b@y.org"), (QStringList{"a@x.org", "b@y.org"}));
        QCOMPARE(MailAddresses(" \"Doe, John\" <john@x.org> ,, Bob <bob@y.org>,c@z.org, "),
                 (QStringList{"john@x.org", "bob@y.org", "c@z.org"}));
        QCOMPARE(MailAddresses("  , "), QStringList());
        // A line break cannot smuggle a second header or command in.
        const QStringList smuggled = MailAddresses("a@x.org\r\nRCPT TO:<evil@y.org>");
        QCOMPARE(smuggled.size(), 1);
        QVERIFY(!smuggled[0].contains('\r') && !smuggled[0].contains('\n'));
        QCOMPARE(MailAddress("Camera <cam@x.org>"), QString("cam@x.org"));
    }

    void headerTexts()
    {
        QCOMPARE(EncodeHeaderText("ALERT from Ostrivo"), QByteArray("ALERT from Ostrivo"));
        // Long Russian text with a character outside the basic plane: several words on folded lines, none
        // longer than an encoded word may be, each whole UTF-8, together the text.
        const QString russian = QString::fromUtf8("Тестовое оповещение от Ostrivo — камера «Дверь» 🚪 и ещё немного текста");
        const QByteArray encoded = EncodeHeaderText(russian);
        const QList<QByteArray> words = encoded.split('\n');
        QVERIFY(words.size() > 2);
        QString decoded;
        for (QByteArray word : words) {
            word = word.trimmed();
            QVERIFY2(word.size() <= 75, word.constData());
            const QString part = DecodeWord(word);
            QVERIFY2(!part.isEmpty(), word.constData());
            decoded += part;
        }
        QCOMPARE(decoded, russian);
        QVERIFY(encoded.contains("\r\n "));

        TMailMessage message;
        message.FromAddress = "Cam <cam@ostrivo.test>";
        message.FromName = "Ostrivo";
        message.Recipients = "a@x.org,\r\nBcc: evil@y.org, Bob <bob@y.org>";
        message.Subject = "Hi\r\nBcc: evil@y.org";
        const QDateTime moment(QDate(2024, 5, 1), QTime(12, 30, 5), QTimeZone(7200));
        const QList<QByteArray> lines = MailHeaderLines(message, moment);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QByteArray("Date: Wed, 01 May 2024 12:30:05 +0200"));
        QVERIFY(lines[1].startsWith("Message-ID: <") && lines[1].endsWith("@ostrivo.test>"));
        QVERIFY(lines[1] != MailHeaderLines(message, moment)[1]);
        QCOMPARE(lines[2], QByteArray("From: \"Ostrivo\" <cam@ostrivo.test>"));
        QCOMPARE(lines[3], QByteArray("To: a@x.org, Bcc: evil@y.org, \"Bob\" <bob@y.org>"));
        QCOMPARE(lines[4], QByteArray("Subject: HiBcc: evil@y.org"));
        for (const QByteArray &line : lines)
            QVERIFY(!line.contains('\r') && !line.contains('\n'));
    }

    void plainTestMessage()
    {
        LoadTranslationTable(SourceTreeFile(QStringLiteral("data/transl.dt")));
        App().GlobalSettings.Language = 1;
        TCamera values = MailCamera("Door", 25);
        const TMailMessage message = ComposeTestEmail(values);
        QVERIFY(!message.Multipart);
        QCOMPARE(message.Subject, QString::fromUtf8("Тестовое оповещение от Ostrivo"));
        const QByteArray text = PlainMailText(message, QDateTime::currentDateTime());
        const qsizetype split = text.indexOf("\r\n\r\n");
        QVERIFY(split > 0);
        const QByteArray head = text.left(split);
        QVERIFY(head.contains("\r\nContent-Type: text/plain; charset=UTF-8\r\n"));
        QVERIFY(head.contains("\r\nContent-Transfer-Encoding: base64"));
        QVERIFY(head.contains("\r\nSubject: =?UTF-8?B?"));
        QCOMPARE(QString::fromUtf8(QByteArray::fromBase64(text.mid(split + 4))),
                 QString::fromUtf8("Это тестовое сообщение от Ostrivo."));
    }

    void snapshotsByKindAndSettings()
    {
        QTemporaryDir folder;
        App().GlobalSettings.OutputFolderForVideosAndSnapshots = folder.path();
        for (int i = 1; i <= 4; ++i)
            WriteFile(folder.filePath(QString("Door_%1.jpg").arg(i, 6, 10, QChar('0'))), QByteArray(i * 10, char(i)));
        WriteFile(folder.filePath("Yard_000001.jpg"), "other camera");
        TManualClock clock(dt::EncodeDate(2024, 5, 1) + dt::EncodeTime(12, 0, 0));
        TCamera door = MailCamera("Door", 25);
        QStringList listed;
        UpdateListOfAvailableSnaphots(door, listed);
        QCOMPARE(listed.size(), 4);
        door.Email_InitialListOfSnapshots = {folder.filePath("Door_000001.jpg"), folder.filePath("Door_000003.jpg")};

        // From the last listed to the first, without those that were there before.
        QCOMPARE(NewSnapshots({"a", "b", "c", "d"}, {"b"}), (QStringList{"d", "c", "a"}));
        QStringList expected;
        for (const QString &path : NewSnapshots(listed, door.Email_InitialListOfSnapshots))
            expected << QFileInfo(path).fileName();
        QCOMPARE(expected.size(), 2);

        // An alert attaches only with both switches on.
        door.notification_AttachSnapshotsToEmail = true;
        QVERIFY(!ComposeCameraEmail(door, etAlert).HasAttachments);
        door.recording_TakeSnapshots = true;
        TCameraEmail alert = ComposeCameraEmail(door, etAlert);
        QVERIFY(alert.HasAttachments);
        QCOMPARE(Names(alert.Message.Attachments), expected);
        QCOMPARE(alert.Message.Attachments[0].Data, QByteArray(expected[0] == "Door_000004.jpg" ? 40 : 20,
                                                               char(expected[0] == "Door_000004.jpg" ? 4 : 2)));
        QCOMPARE(alert.Message.Subject, QString("ALERT from Ostrivo"));
        QCOMPARE(alert.Message.Body, LogLine(clock.Value(), "A movement has been detected by camera Door"));
        QCOMPARE(alert.Message.BodyType, QString("text/html"));
        QVERIFY(alert.Message.Multipart);
        QCOMPARE(alert.Message.FromName, QString("Ostrivo"));
        QCOMPARE(alert.Message.Recipients, door.notification_SMTPRecipient);

        // A snapshot email attaches whatever the switches say.
        door.notification_AttachSnapshotsToEmail = door.recording_TakeSnapshots = false;
        TCameraEmail snapshot = ComposeCameraEmail(door, etSnapshot);
        QCOMPARE(Names(snapshot.Message.Attachments), expected);
        QCOMPARE(snapshot.Message.Subject, QString("Snapshot from Ostrivo"));
        QVERIFY(snapshot.Message.Body.endsWith(" - Here is snapshot made with camera Door"));

        // Nothing new: the text alone, saying so, in the interface language.
        LoadTranslationTable(SourceTreeFile(QStringLiteral("data/transl.dt")));
        App().GlobalSettings.Language = 4;
        door.Email_InitialListOfSnapshots = listed;
        snapshot = ComposeCameraEmail(door, etSnapshot);
        QVERIFY(!snapshot.HasAttachments && snapshot.Message.Attachments.isEmpty());
        QCOMPARE(snapshot.Message.Subject, QString("Schnappschuss von Ostrivo"));
        QVERIFY(snapshot.Message.Body.endsWith(" - Ostrivo konnte mit folgender Kamera keinen Schnappschuss machen: Door"));
    }

    // The Email_Timer handler sends only when email is on, the shared client idle, the handler not already
    // running and the program not shutting down; it always switches its timer off.
    void emailTimerGuards()
    {
        TRecordingWindowSink sink;
        TMailService service;
        TCamera camera = MailCamera("Door", FreePort()); // nobody listens there: a quick failure
        TTimer timer(5000, true);
        camera.Email_Timer = &timer;
        const auto idle = [&] { return service.SMTPTag == 0 && service.TransfersInProgress() == 0; };

        camera.notification_SendToEmail = false;
        EmailOnTimer(camera);
        QVERIFY(!timer.Enabled() && idle());
        camera.notification_SendToEmail = true;

        timer.SetEnabled(true);
        timer.Tag = 1;
        EmailOnTimer(camera);
        QVERIFY(!timer.Enabled() && idle());
        timer.Tag = 0;

        service.SMTPTag = 1;
        EmailOnTimer(camera);
        QCOMPARE(service.TransfersInProgress(), 0);
        service.SMTPTag = 0;

        TTimer terminator(16000, true);
        SetShutdownMarker(&terminator);
        EmailOnTimer(camera);
        SetShutdownMarker(nullptr);
        QVERIFY(idle());

        EmailOnTimer(camera);
        QCOMPARE(service.SMTPTag, 1);
        QCOMPARE(timer.Tag, 0); // the handler is over; the transfer goes on without it
        QTRY_VERIFY_WITH_TIMEOUT(idle(), 15000);
        QCOMPARE(LogTexts(sink), QStringList{"ERROR: Could not send email to guard@example.org"});
        camera.Email_Timer = nullptr;
    }

    // Shutdown waits for an email on its way, then nothing starts any more.
    void releaseWaitsForTheEmailOnItsWay()
    {
        TRecordingWindowSink sink;
        TMailService service;
        TCamera camera = MailCamera("Door", FreePort());
        SendEmail(camera, etAlert);
        QCOMPARE(service.SMTPTag, 1);
        service.ReleaseMailComponents();
        QCOMPARE(service.SMTPTag, 0);
        QCOMPARE(LogTexts(sink), QStringList{"ERROR: Could not send email to guard@example.org"});
        SendEmail(camera, etAlert);
        QCOMPARE(service.SMTPTag, 0);
        QCOMPARE(service.TransfersInProgress(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEmailCompose)
#include "tst_emailcompose.moc"
