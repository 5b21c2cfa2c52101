#include "VornLib/app/DefinitionsVocabulary.h"

#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/InstallScope.h"
#include "VornLib/app/PrerequisiteDeclarations.h"
#include "VornLib/app/ServiceDeclarations.h"
#include "VornLib/app/SettingDeclarations.h"
#include "VornLib/app/ShellDeclarations.h"
#include "VornLib/app/StepDeclarations.h"
#include "VornLib/app/UpdateFeedDeclaration.h"

namespace vorn {
namespace {

constexpr const char16_t* kSettings = kInstallationSettingsElement;

// The installer's Application element is read as any program's
// (ApplicationDescription::Read); the product's only for its identity.
constexpr XmlElementWords kConfigurationWords[] = {
    {nullptr, kConfigurationElement, u""},
    {kConfigurationElement, u"Application",
     u"UUID Name Version Tag Distribution Company MultipleInstancesAllowed Activate "
     u"MaxFrameRate TrackIRProfileID TrackingID OpenCommandLineFiles SupportEmail AnalyticsURL "
     u"MainWindow Executable"},
    {kConfigurationElement, kSettings, u""},
    {kSettings, u"Application", u"UUID Name Version Tag Company"},
    {kSettings, u"Distribution", u""},
    {kSettings, u"Description", u""},
    {kSettings, u"Executable", u""},
    {kSettings, u"ExecutableX64", u""},
    {kSettings, u"WebSite", u""},
    {kSettings, u"TechnicalSupport", u""},
    {kSettings, u"Updates", u""},
    {kSettings, u"Contact", u""},
    {kSettings, u"Shortcuts", u""},
    {u"Shortcuts", u"Shortcut", u"Text Help"},
    {kSettings, u"RemovedBy", u""},
    {kSettings, kInstallScopeElement, u"Default UserMayChoose"},
    {kSettings, kFileTypesElement, u""},
    {kFileTypesElement, u"FileType", u"Extension Description IconIndex"},
    {kSettings, kCustomProtocolsElement, u""},
    {kCustomProtocolsElement, u"Protocol", u"Name Command Description IconIndex"},
    {kSettings, kUpdateFeedElement, u"Url PublicKey CheckEveryDays"},
    {kSettings, kRegistryElement, u""},
    {kRegistryElement, u"Value", u"Key Name Type Data Component"},
    {u"Value", u"String", u""},
    {kSettings, kEnvironmentElement, u""},
    {kEnvironmentElement, u"PathEntry", u"Folder Component"},
    {kEnvironmentElement, u"Variable", u"Name Value Component"},
    {kSettings, kServicesElement, u""},
    {kServicesElement, u"Service",
     u"Name DisplayName Program Arguments Start Account Description StartAfterInstall "
     u"Component"},
    {kSettings, kPrerequisitesElement, u""},
    {kPrerequisitesElement, u"Prerequisite",
     u"Name Program Arguments SuccessCodes Detect InstallWithProduct Component"},
    {kSettings, kRunElement, u""},
    {kRunElement, u"Step",
     u"When Program Arguments UndoArguments Hidden TimeoutSeconds SuccessCodes Component"},
    {kSettings, kComponentsElement, u""},
    {kComponentsElement, u"Component", u"Name Title Default Required"},
    {u"Component", u"Files", u"Folder Pattern"},
};

// An entry may name its own language beside the table's; its text may be
// rich text, which a rich edit control reads.
constexpr XmlElementWords kStringTableWords[] = {
    {nullptr, u"Strings", u"Language", XmlChildren::ListedOrOthers},
    {u"Strings", u"String", u"ID Language", XmlChildren::Markup},
};

const XmlVocabulary kConfiguration = VocabularyOf(kConfigurationWords);
const XmlVocabulary kStringTable = VocabularyOf(kStringTableWords);

} // namespace

const XmlVocabulary& ConfigurationVocabulary() {
    return kConfiguration;
}

const XmlVocabulary& StringTableVocabulary() {
    return kStringTable;
}

const XmlVocabulary* DefinitionsVocabularyOf(const String& rootName) {
    const struct {
        const char16_t* root;
        const XmlVocabulary* vocabulary;
    } kinds[] = {{kConfigurationElement, &kConfiguration}, {u"Strings", &kStringTable}};
    for (const auto& kind : kinds) {
        if (rootName == kind.root)
            return kind.vocabulary;
    }
    return nullptr;
}

} // namespace vorn
