#pragma once

// The commands that exchange the schedule with other calendars (iCalendar files, CalDAV). They
// live in a module of their own, loaded when one is first chosen, so that libical, libcurl,
// libxml2 and libsecret, with everything they bring, cost nothing when the program starts.
// A program that links the commands in (the tests) runs them without loading anything.
namespace Exchange {

enum class TCommand { ExportCalendar, ImportCalendar, SyncNow };

// Runs Command; when the module cannot be loaded, says so in a message box.
void Run(TCommand Command);

}  // namespace Exchange

// The module's one entry point.
extern "C" void agendix_exchange_run(int Command);
