// The Windows services an installation for all users installs, declared
// inside InstallationSettings:
//   <Services>
//     <Service Name="HelloSync" DisplayName="Hello Sync" Program="HelloSync.exe"
//              Arguments="" Start="Automatic|Manual|Disabled"
//              Account="LocalService|NetworkService|LocalSystem"
//              Description="…" StartAfterInstall="true"/>
//   </Services>
// Program is a program of the installation, relative to its folder; the
// service's command line names it in quotes. Start (default Automatic) and
// Account (default LocalService, the account with the fewest rights) are the
// service manager's; StartAfterInstall (default "false") starts the service
// at the end of the installation, which fails when it does not start.
// A product that declares services installs for all users only.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/app/InstallScope.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kServicesElement[] = u"Services";

enum class ServiceStart : uint8_t { Automatic, Manual, Disabled, Count };
extern const char16_t* const kServiceStartNames[uint32_t(ServiceStart::Count)];
enum class ServiceAccount : uint8_t { LocalService, NetworkService, LocalSystem, Count };
extern const char16_t* const kServiceAccountNames[uint32_t(ServiceAccount::Count)];

struct ServiceDeclaration {
    String name;
    String displayName;
    String program; // relative to the install folder, "\"-separated
    String arguments;
    ServiceStart start = ServiceStart::Automatic;
    ServiceAccount account = ServiceAccount::LocalService;
    String description;
    bool startAfterInstall = false;
    String component; // made only when that component is chosen; empty: always
    XmlPosition position;
};

// The Service elements of `settings`' Services, in document order. 5 and
// "line L, column C: what is wrong" in `problem` for the first mistake: a
// name that is empty, longer than 256 characters or holds "/" or "\", two
// services of one name, a Program that is not a relative path inside the
// installation's folder, a Start or Account that the tables lack. 6 for a
// missing attribute.
Result ReadServiceDeclarations(const XmlNode& settings, std::vector<ServiceDeclaration>* out,
                               String* problem);

// The scope rule of `settings` as an installation follows it: all users,
// without a choice, where services are declared (the service manager is the
// machine's); else as InstallScope says.
InstallScopeRule InstallationScopeRule(const InstallScopeRule& declared,
                                       const std::vector<ServiceDeclaration>& services);

} // namespace vorn
