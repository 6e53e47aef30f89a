// The user guide shipped with the program: every page the program can open exists in every language, and
// the guide's own links lead to pages that exist.
#include "core/main.h"
#include "core/services.h"
#include "core/startup.h"
#include "core/translation.h"
#include "platform/folders.h"
#include "platform/shell.h"
#include "testpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

class TstUserGuideData : public QObject
{
    Q_OBJECT

    static QString GuideProgramFolder() { return SourceTreeFile(QStringLiteral("data")); }

    std::optional<TServices> m_services;  // fresh per test function

private slots:
    void init()
    {
        m_services.emplace();
        Services().ProgramFolder = GuideProgramFolder();
    }
    void cleanup() { m_services.reset(); }

    void everyPageTheProgramOpensExists()
    {
        for (int language = 0; language < LanguageCodes.size(); ++language) {
            BuildWebAddresses(language);
            const TApplicationState &app = App();
            QStringList addresses{app.HelpPage, app.SupportPage, app.CameraNotListedPage};
            for (const QString *topic : HelpTopic::All)
                addresses << app.HelpPage + *topic;
            for (const QString &address : addresses) {
                const QString file = platform::LocalFileOfUrl(address);
                QVERIFY2(QFileInfo(file).isFile(), qPrintable(address + " opens a missing page: " + file));
            }
        }
    }

    void topicQueryOpensThePageBesideTheStartPage()
    {
        BuildWebAddresses(0);
        QCOMPARE(platform::LocalFileOfUrl(App().HelpPage + HelpTopic::SMSCommands),
                 GuideProgramFolder() + "/help/en/smscommands.html");
        // Only a plain page name of the same folder is taken from the query.
        QCOMPARE(platform::LocalFileOfUrl(App().HelpPage + "?../../../transl.dt"),
                 GuideProgramFolder() + "/help/en/index.html");
        QCOMPARE(platform::LocalFileOfUrl(QStringLiteral("https://example.org/?a.html")), QString());
    }

    void linksOfTheGuideLeadToExistingPages()
    {
        const QDir guide(GuideProgramFolder() + "/help");
        static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#:]+)\""));
        int pages = 0;
        for (const QString &language : guide.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir folder(guide.filePath(language));
            for (const QString &name : folder.entryList({QStringLiteral("*.html")})) {
                QFile page(folder.filePath(name));
                QVERIFY(page.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(page.readAll());
                QVERIFY2(text.contains("<title>"), qPrintable(name));
                for (auto match = link.globalMatch(text); match.hasNext();) {
                    const QString target = match.next().captured(1);
                    QVERIFY2(QFileInfo::exists(folder.filePath(target)),
                             qPrintable(language + "/" + name + " links to missing " + target));
                }
                ++pages;
            }
        }
        QVERIFY(pages >= 11);
    }
};

QTEST_GUILESS_MAIN(TstUserGuideData)
#include "tst_userguide_data.moc"
