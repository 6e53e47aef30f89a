#pragma once
// The HTTP address of a network camera's picture: "http://" + address + ":" + port + "/" + the path
// template of the camera's model, with its tokens filled in.
#include <QString>

struct TCamera;

// Fills the tokens of the path template in one pass, matching case exactly: [CHANNEL], [WIDTH] and
// [HEIGHT] become "0", [USERNAME] and [PASSWORD] the credentials. The credentials are percent-encoded
// (all but letters, digits and "-._~"), so that they cannot end the query value they stand for or
// start a fragment, and a filled-in value is never scanned for tokens again.
QString StreamAddress(const QString &ip, const QString &port, const QString &urlTemplate, const QString &username,
                      const QString &password);
QString StreamAddress(const TCamera &camera);
