#pragma once
#include "platform/rtl/Exceptions.h"

// A failed conversation with the CalDAV server. Kind says what went wrong, so that a caller can
// word it for the user; the message names the address and the technical cause.
class ECalDavError : public Exception {
  public:
    enum TKind {
        Network,    // no connection, timeout, connection lost, TLS failure
        Auth,       // 401: user name or password refused
        Forbidden,  // 403
        NotFound,   // 404 on the collection itself
        Server,     // 5xx
        Protocol,   // any other unexpected status
        Malformed,  // a reply that is not the XML or data it should be
    };
    ECalDavError(TKind Kind, AnsiString Msg, long Status = 0)
        : Exception(std::move(Msg)), FKind(Kind), FStatus(Status) {}
    TKind Kind() const { return FKind; }
    long Status() const { return FStatus; }

  private:
    TKind FKind;
    long FStatus;
};

// What went wrong, for the user: a sentence by kind (Korean when Korean is true), then the cause.
AnsiString CalDavErrorText(const ECalDavError& E, bool Korean);
