// The process's preferences store: built on first use over the registry, with
// the payload's "Preferences" element as defaults and the base key taken from
// the application description and the "ConfigSet" switch. It is flushed when
// the process ends and before the framework starts another program, so that
// the started program reads what this one changed.
#pragma once

#include "VornLib/core/PreferencesStore.h"

namespace vorn {

// Created on first use, after the runtime has read the description.
PreferencesStore& Preferences();
// Writes the changes when the store exists; creates nothing.
void FlushPreferences();

} // namespace vorn
