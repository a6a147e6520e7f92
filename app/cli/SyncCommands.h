#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// agendix-cal account and agendix-cal sync. Args are what follows the command's name; the result
// is the exit status: 0 done, 1 failed (nothing inconsistent written), 2 wrong usage.
namespace SyncCommands {
int Account(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
int Sync(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
}  // namespace SyncCommands
