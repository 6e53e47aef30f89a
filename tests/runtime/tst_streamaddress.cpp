#include "runtime/streamaddress.h"

#include "core/camera.h"

#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

class TestStreamAddress : public QObject
{
    Q_OBJECT
private slots:
    void tokensAreFilledIn_data()
    {
        QTest::addColumn<QString>("urlTemplate");
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("address");

        QTest::newRow("query values")
            << "videostream.cgi?user=[USERNAME]&pwd=[PASSWORD]&resolution=[WIDTH]" << "admin" << "secret"
            << "http://192.168.1.20:8080/videostream.cgi?user=admin&pwd=secret&resolution=0";
        QTest::newRow("every token, twice")
            << "[CHANNEL]/[WIDTH]x[HEIGHT]/[CHANNEL]?u=[USERNAME]&u2=[USERNAME]" << "me" << ""
            << "http://192.168.1.20:8080/0/0x0/0?u=me&u2=me";
        QTest::newRow("lower-case token untouched")
            << "cam[channel].jpg?ch=[CHANNEL]&[Width]" << "" << ""
            << "http://192.168.1.20:8080/cam[channel].jpg?ch=0&[Width]";
        QTest::newRow("template starting with a slash")
            << "/snapshot.jpg" << "" << "" << "http://192.168.1.20:8080//snapshot.jpg";
        QTest::newRow("token cut off") << "a?u=[USERNAME" << "u" << "p" << "http://192.168.1.20:8080/a?u=[USERNAME";
        // Credentials are inserted as query-safe text and never scanned for tokens again.
        QTest::newRow("user name holding a token")
            << "cgi?user=[USERNAME]&pwd=[PASSWORD]" << "ad[PASSWORD]min" << "secret"
            << "http://192.168.1.20:8080/cgi?user=ad%5BPASSWORD%5Dmin&pwd=secret";
        QTest::newRow("reserved characters")
            << "cgi?user=[USERNAME]&pwd=[PASSWORD]" << "a b" << "p&w=1#x%?é"
            << "http://192.168.1.20:8080/cgi?user=a%20b&pwd=p%26w%3D1%23x%25%3F%C3%A9";
    }
    void tokensAreFilledIn()
    {
        QFETCH(QString, urlTemplate);
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, address);
        QCOMPARE(StreamAddress(QStringLiteral("192.168.1.20"), QStringLiteral("8080"), urlTemplate, username, password),
                 address);
    }

    void cameraFieldsGiveAnAddressThatDecodesBack()
    {
        TCamera camera;
        camera.ipcam_IP = QStringLiteral("127.0.0.1");
        camera.ipcam_Port = QStringLiteral("81");
        camera.ipcam_URL = QStringLiteral("video.cgi?user=[USERNAME]&pwd=[PASSWORD]&res=[HEIGHT]");
        camera.ipcam_Username = QStringLiteral("ops&admin");
        camera.ipcam_Password = QStringLiteral("pa ss#1=[CHANNEL]");
        const QUrl url(StreamAddress(camera));
        QVERIFY(url.isValid());
        QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(url.port(), 81);
        QCOMPARE(url.fragment(), QString());
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded), camera.ipcam_Username);
        QCOMPARE(query.queryItemValue(QStringLiteral("pwd"), QUrl::FullyDecoded), camera.ipcam_Password);
        QCOMPARE(query.queryItemValue(QStringLiteral("res")), QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(TestStreamAddress)
#include "tst_streamaddress.moc"
