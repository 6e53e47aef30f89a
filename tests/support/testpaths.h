#pragma once
// Where the tests find the built programs and libraries, the checkout and their fixtures. Only the build's one
// generated file (testpaths.cpp.in) holds these paths, so no other test file's object depends on where the
// checkout or the build folder lies, and a fresh checkout finds them all in the compiler cache.
#include <QString>

// The folder of the built programs, libraries and copied data files, and a file in it ("ostrivo").
QString TestBinDir();
QString BuiltFile(const QString &name);
// A file of the checkout, by its path from the checkout's top ("data/transl.dt").
QString SourceTreeFile(const QString &relativePath);
// A fixture of tests/data.
QString TestDataFile(const QString &name);
