// ServiceRecord: one change an installation makes to a Windows service
// (ServiceDeclarations.h), as text in the update's journal, kept before the
// change is made so that a roll-back undoes it: a service created (deleted
// again), one changed (its previous configuration put back), one stopped (a
// previous version's, before its files are replaced: started again). Each
// field is "<length>:<units>"; the action's letter comes first.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vorn {

// What the service manager keeps of a service that an installation changes.
struct ServiceConfiguration {
    String commandLine;
    String displayName;
    uint32_t startType = 0; // SERVICE_AUTO_START, SERVICE_DEMAND_START, ...
    String account;         // "NT AUTHORITY\LocalService", "LocalSystem", ...
    String description;
};

struct ServiceRecord {
    enum class Action : char16_t { Created = u'C', Changed = u'M', Stopped = u'S' };
    Action action = Action::Created;
    String name;
    ServiceConfiguration previous; // Changed only
};

String EncodeServiceRecord(const ServiceRecord& record);
// False for a malformed text.
bool DecodeServiceRecord(const String& text, ServiceRecord* out);

} // namespace vorn
