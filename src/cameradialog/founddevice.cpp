#include "cameradialog/founddevice.h"

#include <QStringView>

namespace {

QStringView TrimBlanksAndControls(QStringView text)
{
    const auto blank = [](QChar c) { return c.unicode() <= 0x20; };
    while (!text.isEmpty() && blank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

} // namespace

QString FoundDeviceAddress(const QString &modelURL)
{
    QString address = modelURL;
    address.remove(QStringLiteral("http://"), Qt::CaseSensitive);
    address.remove(QLatin1Char('/'), Qt::CaseSensitive);
    return address;
}

bool SameCatalogueName(const QString &deviceName, const QString &catalogueName)
{
    const QStringView a = TrimBlanksAndControls(deviceName);
    const QStringView b = TrimBlanksAndControls(catalogueName);
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i].unicode()) != AsciiLower(b[i].unicode()))
            return false;
    return true;
}
