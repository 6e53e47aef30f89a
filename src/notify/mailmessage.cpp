#include "notify/mailmessage.h"

#include <QLocale>
#include <QUuid>

namespace {

// Bytes of UTF-8 text in one encoded word: 48 base64 characters, so that a word with its "=?UTF-8?B?" and
// "?=" stays well inside a 76-character line.
constexpr int EncodedWordBytes = 36;

// The text without line breaks and other control characters (nothing may start a header of its own).
QString HeaderSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            safe.append(c);
    return safe;
}

bool IsPrintableAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// A display name: a quoted string when it is ASCII, encoded words otherwise.
QByteArray DisplayName(const QString &name)
{
    const QString safe = HeaderSafe(name).trimmed();
    if (!IsPrintableAscii(safe))
        return EncodeHeaderText(safe);
    QString quoted = safe;
    quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\")).replace(QStringLiteral("\""), QStringLiteral("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

// One recipient entry for the To header: a display name of its own is encoded when it needs it.
QByteArray RecipientEntry(const QString &entry)
{
    const qsizetype open = entry.lastIndexOf(u'<');
    if (open <= 0)
        return entry.toUtf8();
    QString name = entry.left(open).trimmed();
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"'))
        name = name.mid(1, name.size() - 2);
    return DisplayName(name) + " <" + MailAddress(entry).toUtf8() + '>';
}

QStringList RecipientEntries(const QString &recipientText)
{
    QStringList entries;
    QString current;
    bool quoted = false;
    int angle = 0;
    for (QChar c : recipientText) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'<')
            ++angle;
        else if (!quoted && c == u'>' && angle > 0)
            --angle;
        if (c == u',' && !quoted && angle == 0) {
            entries << current;
            current.clear();
        } else {
            current.append(c);
        }
    }
    entries << current;
    QStringList kept;
    for (const QString &entry : entries)
        if (!HeaderSafe(entry).trimmed().isEmpty())
            kept << HeaderSafe(entry).trimmed();
    return kept;
}

QByteArray MessageIdDomain(const QString &fromAddress)
{
    QByteArray domain;
    for (QChar c : fromAddress.mid(fromAddress.lastIndexOf(u'@') + 1))
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            domain += char(c.unicode());
        else if (c == u'.' || c == u'-')
            domain += char(c.unicode());
    return fromAddress.contains(u'@') && !domain.isEmpty() ? domain : QByteArrayLiteral("ostrivo.localhost");
}

// "Wed, 01 May 2024 12:30:05 +0200", with English names whatever the user's locale.
QByteArray MailDate(const QDateTime &moment)
{
    const int offset = moment.offsetFromUtc() / 60;
    const QString zone = QStringLiteral("%1%2%3")
                             .arg(QChar(offset < 0 ? u'-' : u'+'))
                             .arg(qAbs(offset) / 60, 2, 10, QChar(u'0'))
                             .arg(qAbs(offset) % 60, 2, 10, QChar(u'0'));
    return (QLocale::c().toString(moment, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")) + zone).toLatin1();
}

} // namespace

QString MailAddress(const QString &entry)
{
    const QString safe = HeaderSafe(entry);
    const qsizetype open = safe.lastIndexOf(u'<');
    const qsizetype close = safe.lastIndexOf(u'>');
    if (open >= 0 && close > open)
        return safe.mid(open + 1, close - open - 1).trimmed();
    return safe.trimmed();
}

QStringList MailAddresses(const QString &recipientText)
{
    QStringList addresses;
    for (const QString &entry : RecipientEntries(recipientText))
        if (const QString address = MailAddress(entry); !address.isEmpty())
            addresses << address;
    return addresses;
}

QByteArray EncodeHeaderText(const QString &text)
{
    const QString safe = HeaderSafe(text);
    if (IsPrintableAscii(safe) && !safe.contains(QStringLiteral("=?")))
        return safe.toLatin1();
    QList<QByteArray> words;
    QByteArray chunk;
    const auto flush = [&] {
        if (!chunk.isEmpty())
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (qsizetype i = 0; i < safe.size(); ++i) {
        // One whole character, a surrogate pair included.
        const qsizetype length = safe[i].isHighSurrogate() && i + 1 < safe.size() ? 2 : 1;
        const QByteArray bytes = safe.mid(i, length).toUtf8();
        i += length - 1;
        if (chunk.size() + bytes.size() > EncodedWordBytes)
            flush();
        chunk += bytes;
    }
    flush();
    return words.join("\r\n ");
}

QList<QByteArray> MailHeaderLines(const TMailMessage &message, const QDateTime &moment)
{
    const QString from = MailAddress(message.FromAddress);
    QList<QByteArray> to;
    for (const QString &entry : RecipientEntries(message.Recipients))
        to << RecipientEntry(entry);
    return {
        "Date: " + MailDate(moment),
        "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' + MessageIdDomain(from) + '>',
        "From: " + DisplayName(message.FromName) + " <" + from.toUtf8() + '>',
        "To: " + to.join(", "),
        "Subject: " + EncodeHeaderText(message.Subject),
    };
}

QByteArray PlainMailText(const TMailMessage &message, const QDateTime &moment)
{
    QList<QByteArray> lines = MailHeaderLines(message, moment);
    lines << "MIME-Version: 1.0" << "Content-Type: text/plain; charset=UTF-8"
          << "Content-Transfer-Encoding: base64" << QByteArray();
    const QByteArray body = message.Body.toUtf8().toBase64();
    for (qsizetype at = 0; at < body.size(); at += 76)
        lines << body.mid(at, 76);
    return lines.join("\r\n") + "\r\n";
}
