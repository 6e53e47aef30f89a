#include "cameradialog/catalogue.h"

#include "core/services.h"

#include <QFile>

using namespace cataloguemarkers;

QString CatalogueFilePath() { return DataFilesFolder() + QStringLiteral("/ipcamdata.xml"); }

QString CatalogueValueAfter(const QString &line, const QString &marker)
{
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return QString();
    const qsizetype from = at + marker.size();
    const qsizetype quote = line.indexOf(u'"', from);
    if (quote < 0)
        return QString();
    return line.mid(from, quote - from);
}

TIPCamList ReadCatalogueLines(const QStringList &lines)
{
    TIPCamList list;
    for (const QString &line : lines) {
        if (line.contains(ManufacturerMarker)) {
            const QString brand = CatalogueValueAfter(line, ManufacturerMarker);
            if (!brand.isEmpty())
                list.append(TIPCam{brand, {}, {}});
        }
        if (line.contains(ModelMarker) && !list.isEmpty()) {
            const QString model = CatalogueValueAfter(line, ModelMarker);
            TIPCam &current = list.last();
            if (!model.isEmpty() && !current.Models.contains(model, Qt::CaseInsensitive)
                && (line.contains(JpegMarker) || line.contains(MjpegMarker))) {
                current.Models.append(model);
                current.URLs.append(CatalogueValueAfter(line, TemplateMarker));
            }
        }
        if (line.contains(EndMarker) && !list.isEmpty() && list.last().Models.isEmpty())
            list.removeLast();
    }
    return list;
}

TIPCamList ReadCatalogue(const QByteArray &content)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size && content[i] != '\n' && content[i] != '\r')
            continue;
        lines.append(QString::fromLocal8Bit(content.constData() + start, i - start));
        if (i + 1 < size && content[i] == '\r' && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    return ReadCatalogueLines(lines);
}

TIPCamList ReadCatalogueFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadCatalogue(file.readAll());
}

TBrandAndModel SplitActualName(const QString &actualName)
{
    const qsizetype star = actualName.indexOf(u'*');
    if (star < 0)
        return {QString(), actualName};
    return {actualName.left(star), actualName.mid(star + 1)};
}

QString JoinActualName(const QString &brand, const QString &model) { return brand + u'*' + model; }

int IndexOfText(const QStringList &items, const QString &text)
{
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items[i].compare(text, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}
