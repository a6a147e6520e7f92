#pragma once
#include <string>

#include "platform/graphics/Graphics.h"

// A private temporary directory, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& Name) const { return FPath + "/" + Name; }

  private:
    std::string FPath;
};

// Points XDG_DATA_HOME at a fresh empty folder for the life of the object, then restores it.
class PrivateDataHome {
  public:
    PrivateDataHome();
    ~PrivateDataHome();
    const std::string& Path() const { return FDir.Path(); }

  private:
    TempDir FDir;
    std::string FOld;
    bool FHadOld = false;
};

std::string ReadFile(const std::string& Path);
void WriteFile(const std::string& Path, const std::string& Bytes);
// Where tests keep pictures worth looking at: $AGENDIX_ARTIFACTS or build/test-artifacts.
std::string ArtifactPath(const std::string& Name);

// The smallest rectangle within R (or the whole bitmap) that holds every pixel differing from
// Background; TRect{} when none does.
TRect InkBox(const TBitmap& B, const TRect& R, TColor Background);
TRect InkBox(const TBitmap& B, TColor Background);
// How far apart two colours lie: the sum of the differences of their channels.
int ColorDistance(TColor A, TColor B);

// iCalendar text, written with '\n' and given CR LF line ends: a calendar around Body, and one
// event with its UID, a DTSTAMP and the given property lines.
std::string ICalendarText(const std::string& Body);
std::string VEvent(const std::string& Uid, const std::string& Lines);
