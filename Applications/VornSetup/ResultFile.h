// The setup's result file ("/ResultFile:<file>"): one small JSON document in
// UTF-8 that a deployment tool reads instead of guessing from an exit code.
// It is written when the setup ends, whatever the outcome (installed,
// failed, cancelled, a command line refused), under a name of its own first
// and then renamed over the file asked for, so that a reader finds the whole
// document or none; the setup deletes an older one when it starts. Its
// fields, in this order, are the rows of kResultFields, which also render
// them: the README's table of them is checked against this one.
#pragma once

#include <vector>

#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Uuid.h"

namespace vornsetup {

using vorn::Result;
using vorn::String;

struct SetupResult {
    int32_t exitCode = 0;
    vorn::UUID productUuid;
    String productName;
    String productVersion;
    vorn::InstallScope scope = vorn::InstallScope::Machine;
    String installFolder;
    // Empty when no installation is registered: null in the document.
    String uninstallCommand;
    uint64_t filesInstalled = 0;
    uint64_t bytesInstalled = 0;
    double durationSeconds = 0;
    bool restartNeeded = false;
    // The declared settings the registered installation owns, as logs name them.
    std::vector<String> settings;
    // The declared steps its installation ran: "\"<program>\" <arguments>: <exit code>".
    std::vector<String> steps;
    // Its prerequisites: "<Name>: found" or "<Name>: installed (<exit code>)".
    std::vector<String> prerequisites;
    // The components it installed, by name.
    std::vector<String> components;
    // Empty when there is none: null in the document.
    String logFile;
    String logProblem;
};

struct ResultField {
    const char16_t* name;
    const char16_t* type; // as JSON calls it: "integer", "string", "string or null", ...
    const char16_t* meaning;
    String (*json)(const SetupResult& result);
};
extern const ResultField kResultFields[];
extern const uint32_t kResultFieldCount;

// The document, one field a line.
String ResultDocument(const SetupResult& result);

// Writes the document to `path` in full or not at all (its folders made
// when missing); the platform's reason when it cannot.
Result WriteResultFile(const String& path, const SetupResult& result);

} // namespace vornsetup
