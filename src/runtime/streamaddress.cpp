#include "runtime/streamaddress.h"

#include "core/camera.h"

#include <QUrl>

#include <array>
#include <utility>

QString StreamAddress(const QString &ip, const QString &port, const QString &urlTemplate, const QString &username,
                      const QString &password)
{
    const QString zero = QStringLiteral("0");
    const std::array<std::pair<QString, QString>, 5> tokens = {{
        {QStringLiteral("[CHANNEL]"), zero},
        {QStringLiteral("[WIDTH]"), zero},
        {QStringLiteral("[HEIGHT]"), zero},
        {QStringLiteral("[USERNAME]"), QString::fromLatin1(QUrl::toPercentEncoding(username))},
        {QStringLiteral("[PASSWORD]"), QString::fromLatin1(QUrl::toPercentEncoding(password))},
    }};

    QString path;
    path.reserve(urlTemplate.size());
    for (qsizetype at = 0; at < urlTemplate.size();) {
        bool replaced = false;
        if (urlTemplate[at] == u'[') {
            for (const auto &[token, value] : tokens)
                if (QStringView(urlTemplate).sliced(at).startsWith(token)) {
                    path += value;
                    at += token.size();
                    replaced = true;
                    break;
                }
        }
        if (!replaced)
            path += urlTemplate[at++];
    }
    return QStringLiteral("http://") + ip + u':' + port + u'/' + path;
}

QString StreamAddress(const TCamera &camera)
{
    return StreamAddress(camera.ipcam_IP, camera.ipcam_Port, camera.ipcam_URL, camera.ipcam_Username,
                         camera.ipcam_Password);
}
