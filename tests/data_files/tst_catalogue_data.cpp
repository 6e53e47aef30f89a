// The IP camera catalogue shipped beside the program (data/ipcamdata.xml), read by the program's own
// catalogue reader, and checked for entries that the reader would silently drop or mangle.
#include "cameradialog/catalogue.h"

#include "datafiles.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using namespace cataloguemarkers;

QStringList CatalogueLines(const QByteArray &bytes)
{
    // 8-bit text; the file is kept to ASCII so that every code page reads it the same.
    return QString::fromLatin1(bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
}

} // namespace

class TstCatalogueData : public QObject {
    Q_OBJECT

    QByteArray bytes;
    TIPCamList catalogue;

private slots:
    void initTestCase()
    {
        READ_DATA_FILE(content, QStringLiteral("ipcamdata.xml"));
        bytes = content;
        catalogue = ReadCatalogue(bytes);
    }

    void offersEnoughCameras()
    {
        int models = 0;
        QSet<QString> brands;
        for (const TIPCam &cam : catalogue) {
            QVERIFY2(!cam.Models.isEmpty(), qPrintable(cam.Brand + " has no models"));
            QCOMPARE(cam.URLs.size(), cam.Models.size());
            QVERIFY2(!brands.contains(cam.Brand), qPrintable(cam.Brand + " appears in two blocks"));
            brands.insert(cam.Brand);
            models += int(cam.Models.size());
        }
        QVERIFY2(brands.size() >= 40, qPrintable(QString::number(brands.size()) + " brands"));
        QVERIFY2(models >= 250, qPrintable(QString::number(models) + " models"));
    }

    void offersTheCameraSimulator()
    {
        const auto it = std::find_if(catalogue.cbegin(), catalogue.cend(),
                                     [](const TIPCam &c) { return c.Brand == u"Ostrivo"; });
        QVERIFY(it != catalogue.cend());
        QCOMPARE(it->Models.value(0), QStringLiteral("Camera Simulator"));
        QCOMPARE(it->URLs.value(0), QStringLiteral("video.mjpg"));
        const qsizetype snapshot = it->URLs.indexOf(QStringLiteral("snapshot.jpg"));
        QVERIFY(snapshot > 0);
        QVERIFY(it->Models[snapshot].startsWith(u"Camera Simulator"));
    }

    // Faults the reader forgives without a word: a block left open (a brand without models then
    // stays in the list), a second entry on one line, an unclosed value, a model listed twice (the
    // later line is dropped), a template with a leading slash ("//" in the address) or with a
    // placeholder the address rule does not know.
    void everyLineIsReadAsWritten()
    {
        QVERIFY2(!std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) > 0x7F; }),
                 "ipcamdata.xml must stay ASCII");
        static const QRegularExpression placeholder(QStringLiteral("\\[([^\\]]*)\\]"));
        const QSet<QString> known = {QStringLiteral("CHANNEL"), QStringLiteral("WIDTH"),
                                     QStringLiteral("HEIGHT"), QStringLiteral("USERNAME"),
                                     QStringLiteral("PASSWORD")};
        QStringList problems;
        bool open = false;
        QSet<QString> models;
        const QStringList lines = CatalogueLines(bytes);
        for (int n = 0; n < lines.size(); ++n) {
            const QString &line = lines[n];
            const QString where = QStringLiteral("line %1: ").arg(n + 1);
            if (line.contains(ManufacturerMarker)) {
                if (open)
                    problems << where + u"manufacturer starts before the previous one ends"_s;
                open = true;
                models.clear();
                if (CatalogueValueAfter(line, ManufacturerMarker).isEmpty())
                    problems << where + u"empty or unclosed manufacturer name"_s;
            }
            if (line.contains(ModelMarker)) {
                if (!open)
                    problems << where + u"model outside a manufacturer"_s;
                if (line.count(ModelMarker) > 1)
                    problems << where + u"two model entries on one line"_s;
                // An unclosed value reads as empty.
                const QString model = CatalogueValueAfter(line, ModelMarker);
                if (model.isEmpty())
                    problems << where + u"empty or unclosed model name"_s;
                if (models.contains(model.toLower()))
                    problems << where + u"model listed twice: "_s + model;
                models.insert(model.toLower());
                const QString url = CatalogueValueAfter(line, TemplateMarker);
                if (url.isEmpty())
                    problems << where + u"missing, empty or unclosed url"_s;
                if (url.startsWith(u'/'))
                    problems << where + u"url begins with a slash"_s;
                for (auto m = placeholder.globalMatch(url); m.hasNext();) {
                    const QString name = m.next().captured(1);
                    if (!known.contains(name))
                        problems << where + u"unknown placeholder ["_s + name + u"]"_s;
                }
            }
            if (line.contains(EndMarker)) {
                if (!open)
                    problems << where + u"end of a manufacturer that was not started"_s;
                open = false;
            }
        }
        if (open)
            problems << QStringLiteral("the last manufacturer is not closed");
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TstCatalogueData)
#include "tst_catalogue_data.moc"
