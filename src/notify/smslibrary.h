#pragma once
// The SMS gateway library (libsmsengine.so beside the program), loaded at run time on first use. The calls
// block on the network: make them from a worker thread, never from the user-interface thread. They may be
// called from any thread. When the library is missing, every call fails with a text naming the file.
#include <QString>

struct TSMSLibraryResult
{
    unsigned char Value = 0; // the library's result byte: 1 is success for the strict callers, non-zero for the others
    QString Text;            // what the library left in the result buffer
};

// SendSMS(UserName, APIKey, PhoneNumber, Text, ResultBuffer, ResultBufferSize).
TSMSLibraryResult CallSendSMS(const QString &userName, const QString &apiKey, const QString &phoneNumber,
                              const QString &text, int resultBufferSize = 50);
// GetSMS(UserName, APIKey, ResultBuffer, ResultBufferSize): the buffer filled with spaces before the call,
// the text trimmed of blanks and control characters after it.
TSMSLibraryResult CallGetSMS(const QString &userName, const QString &apiKey, int resultBufferSize);
// CheckSMSAccount(UserName, APIKey, ResultBuffer, ResultBufferSize): asks the account without consuming
// any inbound message.
TSMSLibraryResult CallCheckSMSAccount(const QString &userName, const QString &apiKey, int resultBufferSize = 50);
