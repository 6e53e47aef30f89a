// The five siren sounds 0.wav ... 4.wav shipped beside the program: well-formed 16-bit PCM WAV files
// of 2 to 4 seconds that the player can open, audible, distinct, and silent at both ends so that
// repeating one gives no click.
#include <QtEndian>
#include <QTest>

#include "datafiles.h"

namespace {

struct TWave {
    QString Problem; // empty when the file is a usable PCM WAV
    int Channels = 0;
    int SampleRate = 0;
    int Bits = 0;
    QByteArray Data;

    double Seconds() const { return double(Data.size()) / (SampleRate * Channels * 2); }
    qint16 Sample(qsizetype i) const { return qFromLittleEndian<qint16>(Data.constData() + 2 * i); }
    qsizetype SampleCount() const { return Data.size() / 2; }
};

quint32 U32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 U16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }

TWave ParseWave(const QByteArray &b)
{
    TWave w;
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        w.Problem = QStringLiteral("no RIFF/WAVE header");
        return w;
    }
    if (U32(b, 4) != quint32(b.size() - 8)) {
        w.Problem = QStringLiteral("RIFF size does not match the file size");
        return w;
    }
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = U32(b, at + 4);
        const qsizetype body = at + 8;
        if (body + qsizetype(size) > b.size()) {
            w.Problem = QStringLiteral("chunk ") + QString::fromLatin1(id) + QStringLiteral(" runs past the end");
            return w;
        }
        if (id == "fmt " && size >= 16) {
            const int format = U16(b, body);
            w.Channels = U16(b, body + 2);
            w.SampleRate = int(U32(b, body + 4));
            const quint32 byteRate = U32(b, body + 8);
            const int blockAlign = U16(b, body + 12);
            w.Bits = U16(b, body + 14);
            if (format != 1 || w.Bits != 16 || w.Channels < 1 || blockAlign != w.Channels * 2
                || byteRate != quint32(w.SampleRate * blockAlign)) {
                w.Problem = QStringLiteral("not consistent 16-bit PCM");
                return w;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                w.Problem = QStringLiteral("data chunk before the format chunk");
                return w;
            }
            w.Data = b.mid(body, size);
            if (w.Data.size() % (w.Channels * 2) != 0)
                w.Problem = QStringLiteral("data is not a whole number of sample frames");
            return w;
        }
        at = body + size + (size & 1);
    }
    w.Problem = QStringLiteral("no data chunk");
    return w;
}

} // namespace

class TstSirensData : public QObject {
    Q_OBJECT

private slots:
    void eachSoundIsPlayable_data()
    {
        QTest::addColumn<QString>("name");
        for (int i = 0; i < 5; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << QStringLiteral("%1.wav").arg(i);
    }

    void eachSoundIsPlayable()
    {
        QFETCH(QString, name);
        READ_DATA_FILE(bytes, name);
        const TWave w = ParseWave(bytes);
        QVERIFY2(w.Problem.isEmpty(), qPrintable(w.Problem));
        QCOMPARE(w.Channels, 1);
        QVERIFY(w.SampleRate == 22050 || w.SampleRate == 44100);
        QVERIFY2(w.Seconds() >= 2.0 && w.Seconds() <= 4.0, qPrintable(QString::number(w.Seconds())));

        int peak = 0;
        for (qsizetype i = 0; i < w.SampleCount(); ++i)
            peak = qMax(peak, qAbs(int(w.Sample(i))));
        QVERIFY2(peak > 16000, "the sound is too quiet to serve as an alarm");
        QVERIFY2(peak < 32767, "the sound is clipped");
        QVERIFY(qAbs(int(w.Sample(0))) < 500);
        QVERIFY(qAbs(int(w.Sample(w.SampleCount() - 1))) < 500);
    }

    void soundsDiffer()
    {
        QList<QByteArray> sounds;
        for (int i = 0; i < 5; ++i) {
            READ_DATA_FILE(bytes, QStringLiteral("%1.wav").arg(i));
            const QByteArray data = ParseWave(bytes).Data;
            QVERIFY2(!sounds.contains(data), qPrintable(QStringLiteral("%1.wav repeats another sound").arg(i)));
            sounds << data;
        }
    }
};

QTEST_GUILESS_MAIN(TstSirensData)
#include "tst_sirens_data.moc"
