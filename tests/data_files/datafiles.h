#pragma once
// Where the data files of the source tree are, and how to read one whole.
#include "testpaths.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

inline QString DataFilePath(const QString &name)
{
    return SourceTreeFile(QStringLiteral("data/") + name);
}

// Reads a data file; an unreadable file fails the calling test.
#define READ_DATA_FILE(variable, name)                                                         \
    QByteArray variable;                                                                       \
    do {                                                                                       \
        QFile file_(DataFilePath(name));                                                       \
        QVERIFY2(file_.open(QIODevice::ReadOnly), qPrintable(file_.fileName() + " cannot be read")); \
        variable = file_.readAll();                                                            \
    } while (false)
