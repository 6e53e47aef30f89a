#pragma once
// The pure parts of the SMS remote control: reading the gateway's response into messages, recognising a
// command, choosing the addressed cameras, composing the reply, and the allowed sender numbers. No widgets,
// no cameras, no threads: everything here may run on the command worker.
#include "core/datetime.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// A received SMS, or a reply waiting to be sent.
struct TSMS
{
    TDateTime DateTime = 0;    // received: the gateway's time; reply: when it was composed
    QString SenderPhoneNumber; // received: the sender; reply: the addressee
    QString SMSText;
};

// The messages of a GetSMS response: each is its text, its sender and its date and time, each followed by
// "{#}". A message that lacks one of its three separators (a response cut off at the end of the buffer)
// ends the reading; it is not taken, and nothing after it is read again.
QList<TSMS> ParseSMSResponse(const QString &response);

enum class TSMSCommand { None, Disable, Enable, Status, Snapshot };

struct TSMSCommandWords
{
    QString Disable, Enable, Status, Snapshot;
};

struct TRecognisedCommand
{
    TSMSCommand Command = TSMSCommand::None;
    QString Argument; // lower-cased, the text after the word without blanks at its ends
};

// The first of disable, enable, status, snapshot whose word (lower-cased by the locale's rules) stands at
// the very start of the lower-cased text. An empty word never matches; no separator is needed after it.
TRecognisedCommand RecogniseCommand(const QString &text, const TSMSCommandWords &words,
                                    const QLocale &locale = QLocale());

// Indices of the cameras a lower-cased argument addresses: all for an empty argument, otherwise every
// camera whose lower-cased title occurs in it, in list order.
QList<int> AddressedCameras(const QStringList &titles, const QString &argument, const QLocale &locale = QLocale());

// What a command found or did on one addressed camera.
struct TCameraOutcome
{
    QString Title;
    bool Working = false;       // its component is not down
    bool Monitoring = false;    // its detector is on
    bool EmailDelivery = false; // notification_SendToEmail
};

// The translated fixed texts of the replies and log lines, taken on the user-interface thread when a run
// starts.
struct TSMSReplyTexts
{
    QString Received, StoppedOnCameras, StoppedOnAll, StartedOnCameras, StartedOnAll, StatusOfCameras,
        NotWorking, WorkingOK, MonitoringOK, MonitoringOff, EmailDisabled, CamerasDoNotExist, NotRecognized,
        SendError, SenderIgnored;

    static TSMSReplyTexts Translated();
};

struct TSMSReply
{
    QString Text;
    bool Send = false; // queued for the sender
    bool Log = false;  // also written to the message log
};

// The reply to a message after its command was carried out on the addressed cameras (outcomes, in order).
TSMSReply ComposeReply(const QString &messageText, const TRecognisedCommand &command,
                       const QList<TCameraOutcome> &outcomes, const TSMSReplyTexts &texts);

// A phone number for comparison: without blanks, dashes and parentheses, and without a leading "+" or "00".
QString NormalisePhoneNumber(const QString &number);
// The entries of a user's list of allowed numbers (separated by commas, semicolons or line breaks), each
// trimmed; empty entries dropped.
QStringList SplitPhoneNumberList(const QString &text);
// Every sender is obeyed when the list has no number; otherwise only those whose number equals one of the
// list after normalisation.
bool IsSenderAllowed(const QString &sender, const QStringList &allowedNumbers);
