#pragma once
// Base of the tests that reach the gateway stand-in through the built libsmsengine.so: the stand-in with
// the account "u" / "k", reset before every test function, and the program folder at the build's bin
// folder, where the binding finds the library.
#include "core/services.h"
#include "smsgatewayprocess.h"
#include "testpaths.h"

#include <QtTest>

class TGatewayTestBase : public QObject
{
    Q_OBJECT

protected:
    TSMSGateway m_gateway;

    // "<phones>: <text>" of every message the stand-in received, in order.
    QStringList SentTexts()
    {
        QStringList texts;
        for (const QJsonValue &sent : m_gateway.Sent())
            texts << sent["phones"].toString() + ": " + sent["text"].toString();
        return texts;
    }

private slots:
    void initTestCase() { QVERIFY(m_gateway.Start({"--user", "u", "--key", "k"})); }
    void init()
    {
        m_gateway.Reset();
        Services().ProgramFolder = TestBinDir();
    }
    void cleanupTestCase() { Services().ProgramFolder.clear(); }
};
