#include "app/Exchange.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "platform/ui/Forms.h"

// Set when the commands are linked into the program; the module is then never loaded.
extern "C" __attribute__((weak)) void agendix_exchange_run(int Command);

namespace Exchange {

namespace {
using TEntry = void (*)(int);

// Beside the program (the build folder), else where the package installs it.
TEntry Load(std::string& Error) {
    static TEntry Entry = nullptr;
    if (Entry) return Entry;
    char Exe[PATH_MAX];
    ssize_t N = readlink("/proc/self/exe", Exe, sizeof Exe);
    std::string Dir = N > 0 && N < PATH_MAX ? std::string(Exe, N) : std::string();
    Dir.erase(Dir.rfind('/') == std::string::npos ? 0 : Dir.rfind('/'));
    for (std::string Path : {Dir + "/" AGENDIX_EXCHANGE_MODULE, Dir + "/" AGENDIX_EXCHANGE_INSTALLED}) {
        if (access(Path.c_str(), F_OK) != 0) continue;
        void* Module = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (Module) Entry = reinterpret_cast<TEntry>(dlsym(Module, "agendix_exchange_run"));
        if (Entry) return Entry;
        const char* Why = dlerror();
        Error = Path + ": " + (Why ? Why : "agendix_exchange_run not found");
        return nullptr;
    }
    Error = std::string(AGENDIX_EXCHANGE_MODULE) + " 파일이 없습니다.";
    return nullptr;
}
}  // namespace

void Run(TCommand Command) {
    std::string Error;
    TEntry Entry = agendix_exchange_run ? agendix_exchange_run : Load(Error);
    if (!Entry) {
        Application->MessageBox("이 기능을 불러오지 못했습니다. 프로그램을 다시 설치해 보십시오.\n" + Error,
                                "나의 일정관리", MB_OK | MB_ICONERROR);
        return;
    }
    Entry(static_cast<int>(Command));
}

}  // namespace Exchange
