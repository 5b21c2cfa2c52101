// RecordConfinement: what an installing process may act on when it finishes
// or undoes an installation from a record that a standard user can write.
//
// The rule: a process with administrator rights never reads state that a
// standard user can write (HKEY_CURRENT_USER, the user's folders, values from
// the command line) and then acts on it, unless the action stays inside that
// user's own places. All users' records live under HKEY_LOCAL_MACHINE, which
// only administrators write. The per-user record ("Software\VornLib\Updates"
// in the user's hive, with the uninstall entry it keeps) is
//   - taken up only by an installation that is the user's own: a per-user
//     setup, or a wizard in the user's process that offers the choice; never
//     by the elevated copy, never by a per-machine installation;
//   - acted on only when everything it names lies where a per-user
//     installation puts it: its files and program inside its folder, its
//     program group a folder name, its shortcuts in the user's own start
//     menu, desktop or quick launch, and, in a process with administrator
//     rights, its folder inside the user's profile. A record that names
//     anything else is refused whole, with a log line, and removed.
#pragma once

#include <vector>

#include "VornLib/app/InstalledProduct.h"

namespace vorn {

// Who is about to take up an interrupted installation.
struct RecoveringProcess {
    bool elevated = false;      // has administrator rights
    bool elevatedCopy = false;  // the copy a launcher started with rights
    bool usersOwnScope = false; // installs per user, or lets the user choose
};

// Whether `process` takes up the per-user record (`user`) or all users'.
bool TakesUpRecord(bool user, const RecoveringProcess& process);

// The places of the user's own that a per-user record may name.
struct UserPlaces {
    String profile;
    std::vector<String> shortcutFolders;
};

// Empty when everything `product` names lies in `places` as the rule above
// says (`elevated`: the folder inside the profile too); else what does not,
// for the log. An empty product is confined.
String ConfinementFault(const InstalledProduct& product, const UserPlaces& places, bool elevated);

#ifdef _WIN32
// The current user's places.
UserPlaces CurrentUserPlaces();
#endif

} // namespace vorn
