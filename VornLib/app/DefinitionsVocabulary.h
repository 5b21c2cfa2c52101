// The vocabulary of the definitions that a setup carries, as XmlVocabulary
// tables: Configuration.xml (the installer's own Application element and the
// InstallationSettings of the product it installs) and the string tables
// (Strings with String entries, beside the message box descriptions that the
// description check reads). VornPack refuses every element or attribute a
// table lacks, and the setup refuses one in the InstallationSettings it
// reads, so that a misspelt optional element is never read as absent.
#pragma once

#include "VornLib/core/XmlVocabulary.h"

namespace vorn {

constexpr char16_t kConfigurationElement[] = u"Configuration";
constexpr char16_t kInstallationSettingsElement[] = u"InstallationSettings";

const XmlVocabulary& ConfigurationVocabulary();
const XmlVocabulary& StringTableVocabulary();

// The vocabulary of a definitions file by the name of its root element;
// null for a file without a fixed one (descriptions, preferences).
const XmlVocabulary* DefinitionsVocabularyOf(const String& rootName);

} // namespace vorn
