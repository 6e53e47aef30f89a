#include "notify/smslibrary.h"

#include "platform/folders.h"
#include "platform/programlibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>

#include <map>
#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#define SMSENGINE_CALL __stdcall
#else
#define SMSENGINE_CALL
#endif

namespace {

using TSendSMSFunction = unsigned char(SMSENGINE_CALL *)(const char16_t *userName, const char16_t *apiKey,
                                                         const char16_t *phoneNumber, const char16_t *text,
                                                         char16_t *resultBuffer, qint32 resultBufferSize);
using TAccountFunction = unsigned char(SMSENGINE_CALL *)(const char16_t *userName, const char16_t *apiKey,
                                                         char16_t *resultBuffer, qint32 resultBufferSize);

struct TEntryPoints
{
    TSendSMSFunction SendSMS = nullptr;
    TAccountFunction GetSMS = nullptr;
    TAccountFunction CheckSMSAccount = nullptr;
    QString Error; // why the library cannot be used
};

// The library of the program's folder, loaded on first use and kept for the run. A failed load is tried
// again on the next call (the file may have been put in place meanwhile); tests that move the program
// folder get the library of the new folder.
TEntryPoints EntryPoints()
{
    static QMutex mutex;
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;
    const QString fileName = platform::SharedLibraryFileName(QStringLiteral("smsengine"));
    const QString folder = platform::ProgramFolder();
    const QString path = QDir(folder).filePath(fileName);

    QMutexLocker lock(&mutex);
    TEntryPoints entries;
    if (!QFileInfo(path).isFile()) {
        entries.Error = QStringLiteral("%1 is missing in %2").arg(fileName, QDir::toNativeSeparators(folder));
        return entries;
    }
    auto found = loaded.find(path);
    if (found == loaded.end()) {
        auto library = std::make_unique<QLibrary>(path);
        if (!library->load()) {
            entries.Error = QStringLiteral("%1 could not be loaded: %2").arg(fileName, library->errorString());
            return entries;
        }
        found = loaded.emplace(path, std::move(library)).first;
    }
    QLibrary &library = *found->second;
    entries.SendSMS = reinterpret_cast<TSendSMSFunction>(library.resolve("SendSMS"));
    entries.GetSMS = reinterpret_cast<TAccountFunction>(library.resolve("GetSMS"));
    entries.CheckSMSAccount = reinterpret_cast<TAccountFunction>(library.resolve("CheckSMSAccount"));
    if (!entries.SendSMS || !entries.GetSMS || !entries.CheckSMSAccount)
        entries.Error = QStringLiteral("%1 lacks SendSMS, GetSMS or CheckSMSAccount").arg(fileName);
    return entries;
}

bool IsBlankOrControl(QChar c) { return c.unicode() <= 0x20 || c.isSpace() || c.category() == QChar::Other_Control; }

QString TrimmedBlanksAndControls(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && IsBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// A result buffer filled with spaces, with one more NUL behind its end that the library is not told
// about: whatever the library leaves, the text read back ends inside the buffer.
class TResultBuffer
{
public:
    explicit TResultBuffer(int size) : m_units(size_t(size) + 1, u' ') { m_units.back() = u'\0'; }
    char16_t *Data() { return m_units.data(); }
    qint32 Size() const { return qint32(m_units.size() - 1); }
    QString Text() const { return TrimmedBlanksAndControls(QString::fromUtf16(m_units.data())); }

private:
    std::vector<char16_t> m_units;
};

const char16_t *Utf16(const QString &text) { return reinterpret_cast<const char16_t *>(text.utf16()); }

template <class Call>
TSMSLibraryResult Run(int resultBufferSize, Call call)
{
    if (resultBufferSize < 1)
        return {0, QStringLiteral("No room for the result")};
    const TEntryPoints entries = EntryPoints();
    if (!entries.Error.isEmpty())
        return {0, entries.Error};
    TResultBuffer buffer(resultBufferSize);
    const unsigned char value = call(entries, buffer);
    return {value, buffer.Text()};
}

} // namespace

TSMSLibraryResult CallSendSMS(const QString &userName, const QString &apiKey, const QString &phoneNumber,
                              const QString &text, int resultBufferSize)
{
    return Run(resultBufferSize, [&](const TEntryPoints &entries, TResultBuffer &buffer) {
        return entries.SendSMS(Utf16(userName), Utf16(apiKey), Utf16(phoneNumber), Utf16(text), buffer.Data(),
                               buffer.Size());
    });
}

TSMSLibraryResult CallGetSMS(const QString &userName, const QString &apiKey, int resultBufferSize)
{
    return Run(resultBufferSize, [&](const TEntryPoints &entries, TResultBuffer &buffer) {
        return entries.GetSMS(Utf16(userName), Utf16(apiKey), buffer.Data(), buffer.Size());
    });
}

TSMSLibraryResult CallCheckSMSAccount(const QString &userName, const QString &apiKey, int resultBufferSize)
{
    return Run(resultBufferSize, [&](const TEntryPoints &entries, TResultBuffer &buffer) {
        return entries.CheckSMSAccount(Utf16(userName), Utf16(apiKey), buffer.Data(), buffer.Size());
    });
}
