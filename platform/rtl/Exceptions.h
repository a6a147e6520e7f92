#pragma once
#include <exception>
#include <string>

#include "platform/rtl/Strings.h"

// The exception family that handlers raise and the application shows in a message box.
class Exception : public std::exception {
public:
    explicit Exception(AnsiString Msg) : FMessage(std::move(Msg)) {}
    const AnsiString& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

#define AGENDIX_EXCEPTION(Name, Base)          \
    class Name : public Base {                 \
    public:                                    \
        using Base::Base;                      \
    };

AGENDIX_EXCEPTION(EConvertError, Exception)
AGENDIX_EXCEPTION(ERangeError, Exception)
AGENDIX_EXCEPTION(EStreamError, Exception)
AGENDIX_EXCEPTION(EFOpenError, EStreamError)
AGENDIX_EXCEPTION(EFCreateError, EStreamError)
AGENDIX_EXCEPTION(EReadError, EStreamError)
AGENDIX_EXCEPTION(EWriteError, EStreamError)
AGENDIX_EXCEPTION(EDatabaseError, Exception)
AGENDIX_EXCEPTION(EInvalidOperation, Exception)
AGENDIX_EXCEPTION(EClassNotFound, Exception)
AGENDIX_EXCEPTION(EOSError, Exception)
