#pragma once
// Rules shared by the local network scan and the address refresh for a device the finder reported.
#include <QString>

// The camera address of a found device: its model URL with every "http://" and then every "/" removed
// (both case-sensitive). "http://192.168.1.20/" gives "192.168.1.20"; a port stays as ":port".
QString FoundDeviceAddress(const QString &modelURL);

// Whether a device's manufacturer or model name names a catalogue brand or model: equal once leading and
// trailing blanks and control characters are removed, with ASCII letters compared regardless of case.
bool SameCatalogueName(const QString &deviceName, const QString &catalogueName);
