#pragma once
// One email as the mail transfer sends it: sender, recipients, subject, the text and the attached files,
// and the header lines a mail server expects (Date, Message-ID, From, To, Subject). Plain data: built on the
// user-interface thread, handed to the transfer's worker thread by value.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

struct TMailAttachment
{
    QString FileName;  // the name the recipient sees (no folder)
    QByteArray Data;
};

struct TMailMessage
{
    QString FromAddress;
    QString FromName;        // display name of the sender
    QString Recipients;      // the recipient text: addresses separated by commas
    QString Subject;
    QString Body;            // sent as UTF-8, base64
    // Multipart: multipart/mixed, the attachments first and the text as its last part, with BodyType.
    // Otherwise one text/plain body without parts (attachments are then not sent).
    bool Multipart = true;
    QString BodyType = QStringLiteral("text/html");
    QList<TMailAttachment> Attachments;
};

// The addresses of a recipient text: split at commas outside quotes and angle brackets; an entry written
// as Name <address> gives the address. Blanks around entries and empty entries are dropped.
QStringList MailAddresses(const QString &recipientText);
// The address of one sender or recipient entry (the part in angle brackets when there is one).
QString MailAddress(const QString &entry);

// A header value as RFC 2047 encoded words (UTF-8, base64) when it holds anything but printable ASCII;
// otherwise the text itself. Long values are split into several words, never inside a character, and the
// words are folded onto continuation lines.
QByteArray EncodeHeaderText(const QString &text);

// The header lines of the message, without line ends: Date (RFC 5322 form of the given moment), Message-ID
// (unique, on the sender's domain), From ("name" <address>), To (the recipient entries), Subject. Line
// breaks and other control characters in the values are removed.
QList<QByteArray> MailHeaderLines(const TMailMessage &message, const QDateTime &moment);

// The whole single-part message (headers, blank line, base64 body with CR LF line ends) of a message that
// is not Multipart.
QByteArray PlainMailText(const TMailMessage &message, const QDateTime &moment);
