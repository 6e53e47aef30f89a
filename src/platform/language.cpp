#include "platform/language.h"

#include "platform/userconfig.h"

namespace platform {

QString UserLanguageValue(const QString &appName)
{
    const QVariant value = UserConfigValue(appName, QStringLiteral("Language"));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

int SystemUILanguageId()
{
    // The first UI language the user prefers (LANGUAGE, LC_MESSAGES, LANG on Linux), else the locale's.
    const QLocale system = QLocale::system();
    const QStringList preferred = system.uiLanguages();
    const QLocale::Language language = preferred.isEmpty() ? system.language() : QLocale(preferred.first()).language();
    return PrimaryLanguageId(language);
}

int PrimaryLanguageId(QLocale::Language language)
{
    switch (language) {
    case QLocale::Arabic: return 0x01;
    case QLocale::Bulgarian: return 0x02;
    case QLocale::Catalan: return 0x03;
    case QLocale::Chinese: return 0x04;
    case QLocale::Czech: return 0x05;
    case QLocale::Danish: return 0x06;
    case QLocale::German: return 0x07;
    case QLocale::Greek: return 0x08;
    case QLocale::English: return 0x09;
    case QLocale::Spanish: return 0x0A;
    case QLocale::Finnish: return 0x0B;
    case QLocale::French: return 0x0C;
    case QLocale::Hebrew: return 0x0D;
    case QLocale::Hungarian: return 0x0E;
    case QLocale::Icelandic: return 0x0F;
    case QLocale::Italian: return 0x10;
    case QLocale::Japanese: return 0x11;
    case QLocale::Korean: return 0x12;
    case QLocale::Dutch: return 0x13;
    case QLocale::NorwegianBokmal: return 0x14;
    case QLocale::Polish: return 0x15;
    case QLocale::Portuguese: return 0x16;
    case QLocale::Romanian: return 0x18;
    case QLocale::Russian: return 0x19;
    case QLocale::Croatian: return 0x1A;
    case QLocale::Slovak: return 0x1B;
    case QLocale::Swedish: return 0x1D;
    case QLocale::Turkish: return 0x1F;
    case QLocale::Ukrainian: return 0x22;
    default: return 0;
    }
}

} // namespace platform
