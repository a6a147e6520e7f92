#pragma once

// "지금 동기화" in the main window's context menu: the same sync as agendix-cal sync, with a
// progress bar and a result box; with no account yet, a small dialog asks for one first.
namespace SyncMenu {

inline constexpr const char* SyncCaption = "지금 동기화";

// Adds the item to the installed context menu.
void Install();

}  // namespace SyncMenu
