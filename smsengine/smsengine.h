#pragma once
// The SMS gateway library's C interface (libsmsengine.so; smsengine.dll on Windows).
//
// Texts are NUL-terminated UTF-16 strings; a null pointer counts as an empty text. ResultBuffer holds
// ResultBufferSize UTF-16 code units: the library never writes past it and always leaves a NUL-terminated
// text in it (when ResultBufferSize is at least 1). The result is 1 for success and 0 for failure; on
// failure ResultBuffer holds a description of the error.
//
// The gateway is reached at https://rest.textmagic.com, or at the address in the environment variable
// SMSENGINE_URL when it is set. Every call blocks until the gateway has answered (at most 10 s to connect
// and 30 s per request) and may be made from any thread.
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef _WIN32
#define SMSENGINE_CALL __stdcall
#define SMSENGINE_EXPORT __declspec(dllexport)
#else
#define SMSENGINE_CALL
#define SMSENGINE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef char16_t smsengine_char; // one UTF-16 code unit

// Sends Text as one SMS to PhoneNumber through the account. On success ResultBuffer holds an empty text.
SMSENGINE_EXPORT unsigned char SMSENGINE_CALL SendSMS(const smsengine_char *UserName, const smsengine_char *APIKey,
                                                      const smsengine_char *PhoneNumber, const smsengine_char *Text,
                                                      smsengine_char *ResultBuffer, int32_t ResultBufferSize);

// Fetches the account's inbound SMS. On success ResultBuffer holds the messages that fit, oldest first,
// each as "text{#}sender{#}mm/dd/yy hh:nn:ss{#}" (local time; a "{#}" inside a field is written "(#)").
// Every message delivered here has been removed from the account, so no message is delivered twice;
// messages that do not fit stay on the account for the next call. A message too long for an empty buffer
// is cut to fit.
SMSENGINE_EXPORT unsigned char SMSENGINE_CALL GetSMS(const smsengine_char *UserName, const smsengine_char *APIKey,
                                                     smsengine_char *ResultBuffer, int32_t ResultBufferSize);

// Checks that the gateway accepts the account, without fetching or removing any inbound message. On
// success ResultBuffer holds an empty text.
SMSENGINE_EXPORT unsigned char SMSENGINE_CALL CheckSMSAccount(const smsengine_char *UserName,
                                                              const smsengine_char *APIKey,
                                                              smsengine_char *ResultBuffer,
                                                              int32_t ResultBufferSize);

#ifdef __cplusplus
}
#endif
