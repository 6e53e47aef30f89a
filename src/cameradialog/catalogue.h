#pragma once
// The IP camera catalogue: ipcamdata.xml beside the program lists, per manufacturer, the camera models that
// deliver JPEG snapshots or MJPEG streams and the address path (URL template) of each. The file is not
// parsed as XML: it is read line by line and each line is searched for six fixed markers. No widgets here;
// the camera dialog fills its lists from it and the network scan matches discovered cameras against it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One manufacturer: its models in file order and, at the same positions, their URL templates.
struct TIPCam
{
    QString Brand;
    QStringList Models;
    QStringList URLs;
};

using TIPCamList = QList<TIPCam>;

// ipcamdata.xml in the program's folder.
QString CatalogueFilePath();

// Reads catalogue lines (already decoded text):
// - a line with <Manufacturer name="X" (X not empty) starts manufacturer X, which becomes the current one;
//   the same name twice gives two entries;
// - a line with <url version="M" that also says Source="JPEG" or Source="MJPEG" adds model M (not empty,
//   not yet listed in any letter case) with the value of its first url="..." as template (empty when the
//   line has none) to the current manufacturer; model lines before the first manufacturer are ignored;
// - a line with </Manufacturer> drops the current manufacturer when it has no models.
// The three checks run in this order on every line, so a whole block may stand on one line. Only the first
// model marker and the first template marker of a line count; a value ends at the next double quote.
TIPCamList ReadCatalogueLines(const QStringList &lines);
// Splits 8-bit text (the system's code page) into lines and reads them.
TIPCamList ReadCatalogue(const QByteArray &content);
// Reads the file; a missing or unreadable file gives an empty catalogue, with no message.
TIPCamList ReadCatalogueFile(const QString &path);

// What the reader looks for in a line.
namespace cataloguemarkers {
inline const QString ManufacturerMarker = QStringLiteral("<Manufacturer name=\"");
inline const QString ModelMarker = QStringLiteral("<url version=\"");
inline const QString JpegMarker = QStringLiteral("Source=\"JPEG\"");
inline const QString MjpegMarker = QStringLiteral("Source=\"MJPEG\"");
inline const QString TemplateMarker = QStringLiteral("url=\"");
inline const QString EndMarker = QStringLiteral("</Manufacturer>");
} // namespace cataloguemarkers

// The value after the first occurrence of marker up to the next double quote; empty when the marker is
// absent or the value is not closed.
QString CatalogueValueAfter(const QString &line, const QString &marker);

// A stored camera's ActualName split at its first "*": brand before, model after; no "*" gives an empty
// brand and the whole text as model.
struct TBrandAndModel
{
    QString Brand;
    QString Model;
};
TBrandAndModel SplitActualName(const QString &actualName);
// brand + "*" + model, as a camera stores it.
QString JoinActualName(const QString &brand, const QString &model);

// The first position of text in items compared case-insensitively as whole texts; -1 when absent.
int IndexOfText(const QStringList &items, const QString &text);
