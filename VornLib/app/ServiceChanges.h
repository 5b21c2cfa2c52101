// ServiceChanges: the declared Windows services (ServiceDeclarations.h) of an
// installation for all users, made, stopped, started, put back and removed
// through the service manager. Every change is handed to a recorder before it
// is made (ServiceRecord.h): the update's journal keeps them, so that a
// roll-back in this process or a later one puts back exactly what was there.
// The installation owns the services it declares; their names go into the
// uninstall entry's "ServicesList", which an update and the removal read.
// A service of a declared name that the previous installation does not own
// is another product's: the installation fails rather than take it over.
// Waits for a service to stop or start are bounded (kServiceWaitMilliseconds):
// one that does not stop in time fails the update or the removal with 52
// before any of its files is touched.
#pragma once

#include <functional>
#include <vector>

#include "VornLib/app/ServiceDeclarations.h"
#include "VornLib/app/ServiceRecord.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

using ServiceRecorder = std::function<Result(const String& record)>;

class ServiceChanges {
public:
    static constexpr uint32_t kServiceWaitMilliseconds = 30000;

    ServiceChanges();

    // Stops those of `owned` (names) that run, each recorded before.
    Result stop(const std::vector<String>& owned, const ServiceRecorder& record);
    // Creates the declared services, or changes those `previousOwned` names,
    // running `installFolder`'s programs; deletes the previously owned ones
    // no longer declared. `owned`: the names for the entry's list.
    Result apply(const std::vector<ServiceDeclaration>& declarations, const String& installFolder,
                 const std::vector<String>& previousOwned, const ServiceRecorder& record,
                 std::vector<String>* owned);
    // Starts the declared services that ask for it; 52 when one does not run
    // within the wait.
    Result startDeclared(const std::vector<ServiceDeclaration>& declarations);
    // Undoes a journal's records, last first: created ones deleted, changed
    // and deleted ones put back; with `stopped`, only the stopped ones are
    // started again (once their files are back), else those are passed over.
    void undo(const std::vector<String>& records, bool stopped);
    // Stops and deletes the services an entry's list names.
    Result remove(const std::vector<String>& owned);

private:
    Result configurationOf(SC_HANDLE service, ServiceConfiguration* out);
    Result configure(SC_HANDLE service, const ServiceConfiguration& configuration);
    Result create(const String& name, const ServiceConfiguration& configuration);
    Result stopOne(const String& name);
    Result startOne(const String& name);
    Result deleteOne(const String& name);

    ServiceHandle manager_;
};

// The processes of those of `names` that run: the installation stops them
// itself, so they are not programs the user must close.
std::vector<uint32_t> ServiceProcesses(const std::vector<String>& names);

// The configuration the service manager keeps for `declaration`.
ServiceConfiguration ConfigurationOf(const ServiceDeclaration& declaration,
                                     const String& installFolder);

} // namespace vorn
