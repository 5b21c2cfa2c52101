// VornSetup: the installer. It carries the application and its own
// definitions in its payload (resource 4096).
#include "Applications/VornSetup/InstallerModule.h"
#include "Applications/VornSetup/InstallerWindow.h"
#include "VornLib/app/Entry.h"
#include "VornLib/core/Win32.h"
#include "VornLib/data/ResourceCache.h"

namespace vornsetup {
namespace {

using namespace vorn;

// The definitions, string tables and licence texts, in the order in which a
// later document may replace elements of an earlier one.
const char16_t* const kDocuments[] = {
    u"Data/Xml/Configuration.xml",
    u"Data/Xml/Dialogs.xml",
    u"Data/Xml/FileList.xml",
    u"Data/Xml/Preferences.xml",
    u"Data/Xml/Windows.xml",
    u"Data/Xml/VornSetup-Strings-de.xml",
    u"Data/Xml/VornSetup-Strings-en.xml",
    u"Data/Xml/VornSetup-Strings-es.xml",
    u"Data/Xml/VornSetup-Strings-fr.xml",
    u"Data/Xml/VornSetup-Strings-it.xml",
    u"Data/Xml/VornSetup-Strings-ko.xml",
    u"Data/Xml/VornSetup-Strings-ru.xml",
    u"Data/Xml/VornSetup-Strings-zh.xml",
    u"Data/Xml/VornSetup-Custom-Strings-de.xml",
    u"Data/Xml/VornSetup-Custom-Strings-en.xml",
    u"Data/Xml/VornSetup-Custom-Strings-es.xml",
    u"Data/Xml/VornSetup-Custom-Strings-fr.xml",
    u"Data/Xml/VornSetup-Custom-Strings-it.xml",
    u"Data/Xml/VornSetup-Custom-Strings-ko.xml",
    u"Data/Xml/VornSetup-Custom-Strings-ru.xml",
    u"Data/Xml/VornSetup-Custom-Strings-zh.xml",
    u"Data/Xml/VornSetup-License-de.xml",
    u"Data/Xml/VornSetup-License-en.xml",
    u"Data/Xml/VornSetup-License-es.xml",
    u"Data/Xml/VornSetup-License-fr.xml",
    u"Data/Xml/VornSetup-License-it.xml",
    u"Data/Xml/VornSetup-License-ko.xml",
    u"Data/Xml/VornSetup-License-ru.xml",
    u"Data/Xml/VornSetup-License-zh.xml",
};

Result LoadDescription(ApplicationDescription* description) {
    ResourceCache& resources = ResourceCache::Instance();
    // A document that does not parse is left out; its keys fall back.
    for (const char16_t* document : kDocuments)
        (void)resources.registerDocument(document);
    return ReadApplicationElement(description);
}

AppModule* CreateModule() {
    return new (std::nothrow) InstallerModule;
}

} // namespace
} // namespace vornsetup

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vorn::ProgramDefinition program;
    program.loadDescription = vornsetup::LoadDescription;
    program.createModule = vornsetup::CreateModule;
    vornsetup::InstallerWindow::RegisterKinds();
    return vorn::RunApplication(program);
}
