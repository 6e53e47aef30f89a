#pragma once
// Points HOME and the XDG folders at a fresh temporary folder before main() runs, so that nothing a test
// does (settings, autostart entry, data folder) reaches the real user's files. Including this header is
// enough; SandboxHome() gives the folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

class TSandboxHome
{
public:
    TSandboxHome()
    {
        const QString home = m_dir.path();
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_DATA_HOME", (home + "/.local/share").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (home + "/.cache").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (home + "/.runtime").toLocal8Bit());
        QDir().mkpath(home + "/.runtime");
        QFile::setPermissions(home + "/.runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

inline TSandboxHome g_sandboxHome;
inline QString SandboxHome() { return g_sandboxHome.Path(); }
