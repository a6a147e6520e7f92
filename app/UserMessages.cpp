#include "app/UserMessages.h"

#include <cstdlib>
#include <typeinfo>

#include "platform/ui/Forms.h"
#include "store/DB.h"

namespace {
AnsiString Reason(const Exception& E) {
    if (dynamic_cast<const ERecordChanged*>(&E))
        return "이 시간의 일정이 그 사이 다른 곳에서 바뀌었거나 지워졌습니다.";
    if (auto* Engine = dynamic_cast<const EEngineError*>(&E)) {
        switch (Engine->Kind()) {
            case TDbFailure::Busy:
                return "다른 프로그램이 일정 데이터베이스를 쓰고 있습니다. 잠시 후 다시 해 보세요.";
            case TDbFailure::ReadOnly:
                return "일정 데이터베이스 파일이 읽기 전용입니다.";
            case TDbFailure::Constraint:
                return "일정 데이터베이스의 표 형식이 이 프로그램과 맞지 않습니다.";
            case TDbFailure::Corrupt:
                return "일정 데이터베이스 파일이 손상되었거나 데이터베이스 파일이 아닙니다.";
            case TDbFailure::DiskFull:
                return "디스크에 빈 공간이 없습니다.";
            case TDbFailure::IO:
                return "일정 데이터베이스 파일을 읽거나 쓸 수 없습니다.";
            case TDbFailure::Other:
                break;
        }
    }
    if (dynamic_cast<const EDatabaseError*>(&E)) return "일정 데이터베이스 작업이 실패했습니다.";
    if (dynamic_cast<const EStreamError*>(&E)) return "메모 파일을 읽거나 쓸 수 없습니다.";
    if (dynamic_cast<const EConvertError*>(&E)) return "저장된 일정에 올바르지 않은 값이 있습니다.";
    return "작업이 실패했습니다.";
}

// Native paths under the home folder read as "~/...".
AnsiString Detail(AnsiString Text) {
    const char* Home = std::getenv("HOME");
    if (Home && *Home && AnsiString(Home) != "/") {
        AnsiString H = AnsiString(Home) + "/";
        for (size_t At = Text.find(H); At != AnsiString::npos; At = Text.find(H, At + 2))
            Text.replace(At, H.size(), "~/");
    }
    return Text;
}
}  // namespace

AnsiString UserMessage(const Exception& E, const AnsiString& Doing) {
    if (typeid(E) == typeid(Exception)) return E.Message();
    AnsiString Outcome =
        Doing.empty() ? AnsiString("일정을 읽지 못했습니다.") : Doing + " 아무것도 바뀌지 않았습니다.";
    return Reason(E) + " " + Outcome + "\n" + Detail(E.Message());
}

void ShowUserMessage(const Exception& E) {
    // One action can meet the same failure twice in a row: a dialog's close refreshes the window,
    // and so does the activation that the close leaves behind. The user hears of it once.
    static AnsiString LastText;
    AnsiString Text = UserMessage(E);
    if (Application->InPostedActivation() && Text == LastText) return;
    LastText = Text;
    Application->ShowException(Exception(Text));
}
