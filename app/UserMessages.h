#pragma once
#include "platform/rtl/Exceptions.h"

// What the user reads of a failure: a Korean sentence that says what happened and what became of
// the entry, then the technical detail on a second line, with paths as the user knows them.
// Doing says what failed ("일정을 저장하지 못했습니다."); empty for a read of the schedule.
// A plain Exception already speaks to the user and is returned as it is.
AnsiString UserMessage(const Exception& E, const AnsiString& Doing = AnsiString());

// The program's handling of an exception that escaped an event handler: shown once, in Korean.
void ShowUserMessage(const Exception& E);
