#include "VornLib/app/ServiceChanges.h"

#include <algorithm>
#include <string>

#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Path.h"

namespace vorn {

namespace {

constexpr uint32_t kPollMilliseconds = 100;
// The service manager's words for the declared accounts and start types.
const char16_t* const kAccountLogons[uint32_t(ServiceAccount::Count)] = {
    u"NT AUTHORITY\\LocalService", u"NT AUTHORITY\\NetworkService", u"LocalSystem"};
constexpr uint32_t kStartTypes[uint32_t(ServiceStart::Count)] = {
    SERVICE_AUTO_START, SERVICE_DEMAND_START, SERVICE_DISABLED};

DWORD CurrentState(SC_HANDLE service) {
    SERVICE_STATUS status = {};
    return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

// False when the wait runs out first, or a service to start stops instead.
bool WaitForState(SC_HANDLE service, DWORD wanted) {
    for (uint32_t waited = 0;; waited += kPollMilliseconds) {
        const DWORD state = CurrentState(service);
        if (state == wanted)
            return true;
        if (state == 0 || (wanted == SERVICE_RUNNING && state == SERVICE_STOPPED) ||
            waited >= ServiceChanges::kServiceWaitMilliseconds)
            return false;
        Sleep(kPollMilliseconds);
    }
}

bool Owns(const std::vector<String>& owned, const String& name) {
    return std::any_of(owned.begin(), owned.end(), [&](const String& one) {
        return one.compareIgnoringCase(name.data()) == 0;
    });
}

} // namespace

ServiceConfiguration ConfigurationOf(const ServiceDeclaration& declaration,
                                     const String& installFolder) {
    ServiceConfiguration configuration;
    configuration.commandLine = u"\"" + JoinPath(installFolder, declaration.program) + u"\"";
    if (!declaration.arguments.isEmpty())
        configuration.commandLine.append(u" " + declaration.arguments);
    configuration.displayName = declaration.displayName;
    configuration.startType = kStartTypes[uint32_t(declaration.start)];
    configuration.account = kAccountLogons[uint32_t(declaration.account)];
    configuration.description = declaration.description;
    return configuration;
}

std::vector<uint32_t> ServiceProcesses(const std::vector<String>& names) {
    std::vector<uint32_t> processes;
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    for (const String& name : names) {
        const ServiceHandle service(
            manager ? OpenServiceW(manager.get(), Wide(name.data()), SERVICE_QUERY_STATUS)
                    : nullptr);
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        if (service &&
            QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                                 reinterpret_cast<BYTE*>(&status), sizeof status, &needed) &&
            status.dwProcessId != 0)
            processes.push_back(status.dwProcessId);
    }
    return processes;
}

ServiceChanges::ServiceChanges()
    : manager_(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}

Result ServiceChanges::configurationOf(SC_HANDLE service, ServiceConfiguration* out) {
    DWORD needed = 0;
    (void)QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<uint8_t> buffer(needed + sizeof(QUERY_SERVICE_CONFIGW));
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service, config, DWORD(buffer.size()), &needed))
        return ResultFromSystemError(GetLastError());
    out->commandLine = Units(config->lpBinaryPathName ? config->lpBinaryPathName : L"");
    out->displayName = Units(config->lpDisplayName ? config->lpDisplayName : L"");
    out->account = Units(config->lpServiceStartName ? config->lpServiceStartName : L"");
    out->startType = config->dwStartType;
    (void)QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::vector<uint8_t> described(needed + sizeof(SERVICE_DESCRIPTIONW));
    auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(described.data());
    out->description.clear();
    if (QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, described.data(),
                             DWORD(described.size()), &needed) &&
        description->lpDescription)
        out->description = Units(description->lpDescription);
    return kResultOk;
}

Result ServiceChanges::configure(SC_HANDLE service, const ServiceConfiguration& configuration) {
    if (!ChangeServiceConfigW(service, SERVICE_NO_CHANGE, configuration.startType,
                              SERVICE_NO_CHANGE, Wide(configuration.commandLine.data()), nullptr,
                              nullptr, nullptr, Wide(configuration.account.data()), L"",
                              Wide(configuration.displayName.data())))
        return ResultFromSystemError(GetLastError());
    std::u16string text(configuration.description.data(), configuration.description.length());
    SERVICE_DESCRIPTIONW description = {Wide(&text[0])};
    return ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &description)
               ? kResultOk
               : ResultFromSystemError(GetLastError());
}

Result ServiceChanges::create(const String& name, const ServiceConfiguration& configuration) {
    const ServiceHandle service(
        CreateServiceW(manager_.get(), Wide(name.data()), Wide(configuration.displayName.data()),
                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, configuration.startType,
                       SERVICE_ERROR_NORMAL, Wide(configuration.commandLine.data()), nullptr,
                       nullptr, nullptr, Wide(configuration.account.data()), L""));
    if (!service)
        return ResultFromSystemError(GetLastError());
    return configure(service.get(), configuration);
}

Result ServiceChanges::stopOne(const String& name) {
    const ServiceHandle service(
        OpenServiceW(manager_.get(), Wide(name.data()), SERVICE_STOP | SERVICE_QUERY_STATUS));
    if (!service || CurrentState(service.get()) == SERVICE_STOPPED)
        return kResultOk;
    SERVICE_STATUS status = {};
    (void)ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    if (WaitForState(service.get(), SERVICE_STOPPED)) {
        Log(LogEvent::Service, u"{0} stopped", {name});
        return kResultOk;
    }
    Log(LogEvent::Failure, u"the service {0} has not stopped after {1} seconds",
        {name, kServiceWaitMilliseconds / 1000});
    return Result(kExitServiceDidNotRespond);
}

Result ServiceChanges::startOne(const String& name) {
    const ServiceHandle service(
        OpenServiceW(manager_.get(), Wide(name.data()), SERVICE_START | SERVICE_QUERY_STATUS));
    if (!service)
        return ResultFromSystemError(GetLastError());
    if (!StartServiceW(service.get(), 0, nullptr) &&
        GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        const DWORD error = GetLastError();
        Log(LogEvent::Failure, u"the service {0} could not start ({1})", {name, uint32_t(error)});
        return Result(kExitServiceDidNotRespond);
    }
    if (WaitForState(service.get(), SERVICE_RUNNING)) {
        Log(LogEvent::Service, u"{0} started", {name});
        return kResultOk;
    }
    Log(LogEvent::Failure, u"the service {0} is not running after it was started", {name});
    return Result(kExitServiceDidNotRespond);
}

Result ServiceChanges::deleteOne(const String& name) {
    (void)stopOne(name);
    const ServiceHandle service(OpenServiceW(manager_.get(), Wide(name.data()), DELETE));
    if (!service)
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST
                   ? kResultOk
                   : ResultFromSystemError(GetLastError());
    // One that runs still goes once it stops.
    if (!DeleteService(service.get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
        return ResultFromSystemError(GetLastError());
    Log(LogEvent::Service, u"{0} deleted", {name});
    return kResultOk;
}

Result ServiceChanges::stop(const std::vector<String>& owned, const ServiceRecorder& record) {
    for (const String& name : owned) {
        const ServiceHandle service(
            OpenServiceW(manager_.get(), Wide(name.data()), SERVICE_QUERY_STATUS));
        if (!service || CurrentState(service.get()) == SERVICE_STOPPED)
            continue;
        ServiceRecord stopped;
        stopped.action = ServiceRecord::Action::Stopped;
        stopped.name = name;
        Result result = record(EncodeServiceRecord(stopped));
        if (result == kResultOk)
            result = stopOne(name);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

Result ServiceChanges::apply(const std::vector<ServiceDeclaration>& declarations,
                             const String& installFolder, const std::vector<String>& previousOwned,
                             const ServiceRecorder& record, std::vector<String>* owned) {
    owned->clear();
    if (!manager_ && !declarations.empty())
        return ResultFromSystemError(GetLastError());
    for (const String& name : previousOwned) {
        const bool declared = std::any_of(declarations.begin(), declarations.end(),
                                          [&](const ServiceDeclaration& one) {
                                              return one.name.compareIgnoringCase(name.data()) == 0;
                                          });
        const ServiceHandle service(
            OpenServiceW(manager_.get(), Wide(name.data()), SERVICE_QUERY_CONFIG));
        if (declared || !service)
            continue;
        ServiceRecord deleted;
        deleted.action = ServiceRecord::Action::Changed;
        deleted.name = name;
        Result result = configurationOf(service.get(), &deleted.previous);
        // Put back whole on a roll-back: a changed record of a service that is gone.
        if (result == kResultOk)
            result = record(EncodeServiceRecord(deleted));
        if (result == kResultOk)
            result = deleteOne(name);
        if (result != kResultOk)
            return result;
    }
    for (const ServiceDeclaration& declaration : declarations) {
        const ServiceConfiguration wanted = ConfigurationOf(declaration, installFolder);
        const ServiceHandle service(OpenServiceW(manager_.get(), Wide(declaration.name.data()),
                                                 SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG));
        ServiceRecord change;
        change.name = declaration.name;
        Result result = kResultOk;
        if (service && !Owns(previousOwned, declaration.name)) {
            Log(LogEvent::Failure, u"a service named {0} is there, and is another program's",
                {declaration.name});
            return kResultAlreadyExists;
        }
        if (service) {
            change.action = ServiceRecord::Action::Changed;
            if ((result = configurationOf(service.get(), &change.previous)) == kResultOk &&
                (result = record(EncodeServiceRecord(change))) == kResultOk)
                result = configure(service.get(), wanted);
        } else if ((result = record(EncodeServiceRecord(change))) == kResultOk) {
            result = create(declaration.name, wanted);
        }
        Log(LogEvent::Service, u"{0} {1}: {2} ({3})",
            {declaration.name, service ? u"changed" : u"created", wanted.commandLine, result});
        if (result != kResultOk)
            return result;
        owned->push_back(declaration.name);
    }
    return kResultOk;
}

Result ServiceChanges::startDeclared(const std::vector<ServiceDeclaration>& declarations) {
    for (const ServiceDeclaration& declaration : declarations) {
        const Result result =
            declaration.startAfterInstall ? startOne(declaration.name) : kResultOk;
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

void ServiceChanges::undo(const std::vector<String>& records, bool stopped) {
    for (auto text = records.rbegin(); text != records.rend(); ++text) {
        ServiceRecord change;
        if (!DecodeServiceRecord(*text, &change)) {
            Log(LogEvent::Service, u"a record that is no service is passed over: \"{0}\"", {*text});
            continue;
        }
        if ((change.action == ServiceRecord::Action::Stopped) != stopped)
            continue;
        Result result = kResultOk;
        if (change.action == ServiceRecord::Action::Stopped) {
            result = startOne(change.name);
        } else if (change.action == ServiceRecord::Action::Created) {
            result = deleteOne(change.name);
        } else {
            const ServiceHandle service(
                OpenServiceW(manager_.get(), Wide(change.name.data()), SERVICE_CHANGE_CONFIG));
            result = service ? configure(service.get(), change.previous)
                             : create(change.name, change.previous);
        }
        Log(LogEvent::Service, u"{0} put back as it was ({1})", {change.name, result});
    }
}

Result ServiceChanges::remove(const std::vector<String>& owned) {
    // None is deleted unless all have stopped: their files go next.
    for (const String& name : owned) {
        const Result result = stopOne(name);
        if (result != kResultOk)
            return result;
    }
    for (const String& name : owned)
        (void)deleteOne(name);
    return kResultOk;
}

} // namespace vorn
