// A short, repeatable fuzz run of every reader of untrusted bytes: a few thousand inputs mutated from
// well-formed seeds with a fixed random seed. The real search runs under libFuzzer (-DOSTRIVO_FUZZ=ON); this
// keeps its findings from coming back. With OSTRIVO_FUZZ_KEEP set, every input is written to
// "<target>.last-input" in the working folder before it runs, so that a crash leaves it behind.
#include "fuzztargets.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <random>

namespace {

constexpr int CasesPerTarget = 3000;

// Values that make counts and sizes interesting: zero, one, negative, just beyond, largest.
constexpr quint32 Interesting[] = {0, 1, 2, 0x7f, 0x80, 0xff, 0x100, 0x7fff, 0xffff, 0x10000, 0x7fffffff, 0x80000000,
                                   0xfffffffe, 0xffffffff};

QByteArray Mutate(QByteArray data, std::mt19937 &random, const QList<QByteArray> &seeds)
{
    const auto pick = [&](qsizetype n) { return n <= 0 ? qsizetype(0) : qsizetype(random() % quint64(n)); };
    const int steps = 1 + int(random() % 4);
    for (int step = 0; step < steps; ++step) {
        switch (random() % 8) {
        case 0: // flip a bit
            if (!data.isEmpty())
                data[pick(data.size())] ^= char(1 << (random() % 8));
            break;
        case 1: // a random byte
            if (!data.isEmpty())
                data[pick(data.size())] = char(random());
            break;
        case 2: { // an interesting 32-bit value, little-endian
            if (data.size() < 4)
                break;
            const quint32 value = Interesting[random() % std::size(Interesting)];
            const qsizetype at = pick(data.size() - 3);
            for (int i = 0; i < 4; ++i)
                data[at + i] = char(value >> (8 * i));
            break;
        }
        case 3: // cut
            data.truncate(pick(data.size() + 1));
            break;
        case 4: // remove a piece
            if (!data.isEmpty()) {
                const qsizetype at = pick(data.size());
                data.remove(at, 1 + pick(std::min<qsizetype>(64, data.size() - at)));
            }
            break;
        case 5: { // repeat a piece
            if (data.isEmpty())
                break;
            const qsizetype at = pick(data.size());
            const QByteArray piece = data.mid(at, 1 + pick(256));
            data.insert(pick(data.size() + 1), piece.repeated(1 + int(random() % 8)));
            break;
        }
        case 6: { // random bytes
            QByteArray bytes(1 + pick(32), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random());
            data.insert(pick(data.size() + 1), bytes);
            break;
        }
        case 7: { // splice with another seed
            const QByteArray &other = seeds[pick(seeds.size())];
            data = data.left(pick(data.size() + 1)) + other.mid(pick(other.size()));
            break;
        }
        }
    }
    return data;
}

} // namespace

class TestFuzzReaders : public QObject
{
    Q_OBJECT
private slots:
    void mutatedInputs_data()
    {
        QTest::addColumn<QString>("target");
        for (const fuzz::TTarget &target : fuzz::Targets())
            QTest::newRow(target.Name) << QString::fromLatin1(target.Name);
    }
    void mutatedInputs()
    {
        QFETCH(QString, target);
        const fuzz::TTarget *t = fuzz::FindTarget(target.toLatin1().constData());
        QVERIFY(t);
        const QList<QByteArray> seeds = t->Seeds();
        QVERIFY(!seeds.isEmpty() && !seeds.first().isEmpty());
        std::mt19937 random(20261209);
        QElapsedTimer clock;
        clock.start();
        const bool keep = qEnvironmentVariableIsSet("OSTRIVO_FUZZ_KEEP");
        for (const QByteArray &seed : seeds)
            t->Run(seed);
        for (int n = 0; n < CasesPerTarget; ++n) {
            const QByteArray input = Mutate(seeds[n % seeds.size()], random, seeds);
            if (keep) {
                QFile last(target + QStringLiteral(".last-input"));
                if (last.open(QIODevice::WriteOnly))
                    last.write(input);
            }
            t->Run(input);
        }
        qInfo("%s: %d cases in %lld ms", qPrintable(target), CasesPerTarget, qint64(clock.elapsed()));
    }
};

QTEST_GUILESS_MAIN(TestFuzzReaders)
#include "tst_fuzzreaders.moc"
