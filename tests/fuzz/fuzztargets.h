#pragma once
// The readers of untrusted bytes, each as one entry point that takes any input: the libFuzzer programs
// (fuzz/, built with -DOSTRIVO_FUZZ=ON) and the short deterministic run in the suite call the same code.
// An entry point must neither crash nor hang nor hold more memory than its bounds allow, whatever it gets.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace fuzz {

struct TTarget
{
    const char *Name;
    void (*Run)(QByteArrayView data);
    QList<QByteArray> (*Seeds)();  // well-formed inputs to start mutating from
};

// cam.dat, set.dat, transl.dt, the multipart body of an MJPEG stream, a JPEG picture, the SMS gateway's answers.
const QList<TTarget> &Targets();
const TTarget *FindTarget(const char *name);

} // namespace fuzz
