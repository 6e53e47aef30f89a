#include "gatewayanswers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace smsengine {

namespace {

// Identifiers beyond this are not exact in a JSON number read as a double.
constexpr double LargestExactInteger = 9007199254740992.0; // 2^53

QJsonObject ParseObject(const QByteArray &body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    return error.error == QJsonParseError::NoError && document.isObject() ? document.object() : QJsonObject();
}

// A positive whole number given as a JSON number or as a text of digits; 0 when it is neither.
qint64 PositiveInteger(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number >= 1 && number <= LargestExactInteger && std::floor(number) == number)
            return qint64(number);
        return 0;
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        return ok && number > 0 ? number : 0;
    }
    return 0;
}

// A text field; a number is written as text (phone numbers sometimes come as numbers).
QString Text(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::isfinite(number) && std::fabs(number) <= LargestExactInteger && std::floor(number) == number)
            return QString::number(qint64(number));
        return QString::number(number);
    }
    return QString();
}

int PageNumber(const QJsonValue &value, int fallback)
{
    const qint64 number = PositiveInteger(value);
    return number > 0 && number <= 1000000 ? int(number) : fallback;
}

} // namespace

TRepliesPage ParseRepliesPage(const QByteArray &body)
{
    TRepliesPage page;
    const QJsonObject object = ParseObject(body);
    if (object.isEmpty() && body.trimmed() != "{}")
        return page;
    page.Valid = true;
    page.Page = PageNumber(object.value(QLatin1String("page")), 1);
    page.PageCount = PageNumber(object.value(QLatin1String("pageCount")), 1);
    const QJsonArray resources = object.value(QLatin1String("resources")).toArray();
    for (const QJsonValue &entry : resources) {
        const QJsonObject resource = entry.toObject();
        TInboundMessage message;
        message.Id = PositiveInteger(resource.value(QLatin1String("id")));
        if (message.Id == 0)
            continue;
        message.Sender = Text(resource.value(QLatin1String("sender")));
        message.MessageTime = Text(resource.value(QLatin1String("messageTime")));
        message.Text = Text(resource.value(QLatin1String("text")));
        page.Messages.append(message);
    }
    return page;
}

QString ErrorMessage(const QByteArray &body)
{
    return ParseObject(body).value(QLatin1String("message")).toString().trimmed();
}

} // namespace smsengine
