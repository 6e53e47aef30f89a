#pragma once
// Sequential automatic file names: <folder><separator><prefix><number>.<extension>, the number written with
// at least six digits ("Cam_000008.jpg").
//
// Numbers are counted separately for each folder, prefix and extension, in one table shared by the whole
// process. The first name asked for a folder/prefix/extension continues after the largest number found in
// the names of the files already in that folder that begin with the prefix and end with the extension;
// every later name takes the next number, and a number whose file exists is passed over.
//
// Threads: safe to call from any thread (capture threads of several cameras ask at the same time; two
// calls never hand out the same name).
#include <QString>

// The next free name. An empty folder gives a name relative to the current directory. The extension is
// given without its full stop ("jpg", "avi").
QString NextSequentialFileName(const QString &folder, const QString &prefix, const QString &extension);

// Forgets every counter, so that the next name of each folder/prefix/extension is worked out from the
// folder again (for a test that recreates its folder).
void ResetSequentialFileNames();
