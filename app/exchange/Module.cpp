#include "app/Exchange.h"
#include "app/exchange/Commands.h"
#include "icalendar/EntryStore.h"

extern "C" __attribute__((visibility("default"))) void agendix_exchange_run(int Command) {
    ICalendar::UseKoreanReasons(true);
    switch (static_cast<Exchange::TCommand>(Command)) {
        case Exchange::TCommand::ExportCalendar:
            return Exchange::ExportCalendar();
        case Exchange::TCommand::ImportCalendar:
            return Exchange::ImportCalendar();
        case Exchange::TCommand::SyncNow:
            return Exchange::SyncNow();
    }
}
