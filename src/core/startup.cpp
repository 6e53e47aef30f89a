#include "core/startup.h"

#include "core/log.h"
#include "core/main.h"
#include "core/translation.h"
#include "platform/folders.h"
#include "platform/language.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

bool HasHideSwitch(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if ((argument.startsWith(u'/') || argument.startsWith(u'-'))
            && argument.mid(1).compare(QStringLiteral("hide"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int LanguageIndexFromId(int primaryLanguageId)
{
    switch (primaryLanguageId & 0xFF) {
    case 0x07: return 4;
    case 0x0A: return 2;
    case 0x0C: return 3;
    case 0x19: return 1;
    default: return 0;
    }
}

int DefaultLanguageIndex() { return LanguageIndexFromId(platform::SystemUILanguageId()); }

int StartupLanguageIndex()
{
    const qsizetype user = LanguageCodes.indexOf(platform::UserLanguageValue(ApplicationTitle));
    return user >= 0 ? int(user) : DefaultLanguageIndex();
}

bool SetUpApplicationFolders(const QString &appDataFolder)
{
    TApplicationState &app = App();
    const QString base = appDataFolder.isEmpty() ? platform::AppDataFolder() : appDataFolder;
    app.DataFolder = base + u'/' + ApplicationTitle;
    if (!QFileInfo(app.DataFolder).isDir() && !QDir().mkdir(app.DataFolder)) {
        ReportError(Translate(QStringLiteral("Could not create application directory:")) + u'\n' + app.DataFolder,
                    false);
        return false;
    }
    app.DefaultOutputFolder = app.DataFolder + QStringLiteral("/snapshots_video");
    QDir().mkdir(app.DefaultOutputFolder);
    return true;
}

void BuildWebAddresses(int language)
{
    const QString guide = platform::ProgramFolder() + QStringLiteral("/help/");
    QString code = LanguageCode(language);
    if (code.isEmpty() || !QFileInfo::exists(guide + code + QStringLiteral("/index.html")))
        code = QStringLiteral("en");
    const QString folder = guide + code + u'/';
    const auto page = [&folder](const char *name) { return QUrl::fromLocalFile(folder + QLatin1String(name)).toString(); };
    TApplicationState &app = App();
    app.HelpPage = page("index.html");
    app.SupportPage = page("support.html");
    app.CameraNotListedPage = page("camera-not-listed.html");
}
