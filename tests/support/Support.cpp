#include "tests/support/Support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string Tmpl = (fs::temp_directory_path() / "agendix-test-XXXXXX").string();
    if (!mkdtemp(Tmpl.data())) throw std::runtime_error("mkdtemp failed");
    FPath = Tmpl;
}

TempDir::~TempDir() {
    std::error_code Ec;
    // Read-only folders made by a test would stop the removal.
    for (auto& E : fs::recursive_directory_iterator(FPath, Ec))
        fs::permissions(E.path(), fs::perms::owner_all, fs::perm_options::add, Ec);
    fs::remove_all(FPath, Ec);
}

PrivateDataHome::PrivateDataHome() {
    if (const char* Old = std::getenv("XDG_DATA_HOME")) {
        FOld = Old;
        FHadOld = true;
    }
    setenv("XDG_DATA_HOME", FDir.Path().c_str(), 1);
}

PrivateDataHome::~PrivateDataHome() {
    if (FHadOld)
        setenv("XDG_DATA_HOME", FOld.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

std::string ReadFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) throw std::runtime_error("cannot read " + Path);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

void WriteFile(const std::string& Path, const std::string& Bytes) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << Bytes;
    if (!Out) throw std::runtime_error("cannot write " + Path);
}

std::string ArtifactPath(const std::string& Name) {
    const char* Dir = std::getenv("AGENDIX_ARTIFACTS");
    fs::path P = Dir ? fs::path(Dir) : fs::current_path() / "test-artifacts";
    fs::create_directories(P);
    return (P / Name).string();
}

TRect InkBox(const TBitmap& B, const TRect& R, TColor Background) {
    TRect Box{R.Right, R.Bottom, R.Left, R.Top};
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (B.Pixel(X, Y) != Background)
                Box = {std::min(Box.Left, X), std::min(Box.Top, Y), std::max(Box.Right, X + 1),
                       std::max(Box.Bottom, Y + 1)};
    return Box.Right > Box.Left ? Box : TRect{};
}

TRect InkBox(const TBitmap& B, TColor Background) {
    return InkBox(B, {0, 0, B.Width(), B.Height()}, Background);
}

int ColorDistance(TColor A, TColor B) {
    return std::abs(GetRValue(A) - GetRValue(B)) + std::abs(GetGValue(A) - GetGValue(B)) +
           std::abs(GetBValue(A) - GetBValue(B));
}

std::string ICalendarText(const std::string& Body) {
    std::string Out;
    for (char C : "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//test//EN\n" + Body + "END:VCALENDAR\n")
        Out += C == '\n' ? std::string("\r\n") : std::string(1, C);
    return Out;
}

std::string VEvent(const std::string& Uid, const std::string& Lines) {
    return "BEGIN:VEVENT\nUID:" + Uid + "\nDTSTAMP:20240101T000000Z\n" + Lines + "END:VEVENT\n";
}
