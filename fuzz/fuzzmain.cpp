// One libFuzzer program per reader: OSTRIVO_FUZZ_TARGET names the entry point of tests/fuzz/fuzztargets.h.
// Run e.g. `fuzz_mjpeg_stream -max_total_time=600 corpus/`: an empty corpus folder is first filled with the
// target's well-formed seeds.
#include "fuzztargets.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

namespace {

const fuzz::TTarget &Target()
{
    static const fuzz::TTarget *target = fuzz::FindTarget(OSTRIVO_FUZZ_TARGET);
    if (!target)
        std::abort();
    return *target;
}

void SeedEmptyCorpus(const QString &folder)
{
    QDir dir(folder);
    if (!dir.exists() || !dir.isEmpty())
        return;
    int n = 0;
    for (const QByteArray &seed : Target().Seeds()) {
        QFile file(dir.filePath(QStringLiteral("seed-%1").arg(++n)));
        if (file.open(QIODevice::WriteOnly))
            file.write(seed);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    for (int i = 1; i < *argc; ++i)
        if ((*argv)[i][0] != '-')
            SeedEmptyCorpus(QString::fromLocal8Bit((*argv)[i]));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Target().Run(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
