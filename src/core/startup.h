#pragma once
// The parts of start-up that need no window: the command-line switch, the default language, the
// application folders and the addresses of the user guide.
#include <QString>
#include <QStringList>

#include <array>

// The user guide ships with the program: <program folder>/help/<language code>/, English where a language
// has no pages of its own. The help address is its start page; a topic is opened by appending one of these
// suffixes to it (platform::OpenUrl opens the topic's page itself).
namespace HelpTopic {
inline const QString AddingIPCamera = QStringLiteral("?adding-ip-camera.html");
inline const QString AddingWebcam = QStringLiteral("?adding-webcam.html");
inline const QString Detection = QStringLiteral("?detection.html");
inline const QString Sirene = QStringLiteral("?sirene.html");
inline const QString DeliveryOfNotifications = QStringLiteral("?delivery-of-notifications.html");
inline const QString Scheduler = QStringLiteral("?scheduler.html");
inline const QString SMS = QStringLiteral("?sms.html");
inline const QString SMSCommands = QStringLiteral("?smscommands.html");
inline const std::array<const QString *, 8> All = {&AddingIPCamera, &AddingWebcam, &Detection, &Sirene,
                                                   &DeliveryOfNotifications, &Scheduler, &SMS, &SMSCommands};
} // namespace HelpTopic

// The "hide" switch: "/hide" or "-hide" in any letter case among the arguments (the program name, first,
// is not looked at).
bool HasHideSwitch(const QStringList &arguments);

// A primary language identifier mapped to a language index: 0x07 gives 4 (de), 0x0A 2 (es), 0x0C 3 (fr),
// 0x19 1 (ru), anything else 0 (en).
int LanguageIndexFromId(int primaryLanguageId);
// The language index of the system's user-interface language.
int DefaultLanguageIndex();
// The language used when there is no settings file: the system's, replaced by the per-user "Language"
// value when that holds one of the language codes.
int StartupLanguageIndex();

// DataFolder := <appDataFolder>/Ostrivo, created (one level) when missing; DefaultOutputFolder :=
// DataFolder/snapshots_video, created when missing (a failure there is ignored). An empty appDataFolder asks
// the system. False, after reporting "Could not create application directory:", when DataFolder neither
// exists nor could be created.
bool SetUpApplicationFolders(const QString &appDataFolder = QString());

// Help, support and camera-not-listed pages (file: addresses into the user guide) for a language index.
void BuildWebAddresses(int language);
