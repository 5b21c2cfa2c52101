// The optional parts of an installation, declared inside InstallationSettings:
//   <Components>
//     <Component Name="Docs" Title="Documentation" Default="true" Required="false">
//       <Files Folder="docs"/>
//       <Files Pattern="*.chm"/>
//     </Component>
//   </Components>
// A component holds the files below each Folder (relative to the application
// folder) and those each Pattern matches ("*" any run of characters within a
// name, "?" one; a pattern without "\" matches a file's name in any folder,
// one with "\" the whole path). A file belongs to the first component that
// claims it; a file no component claims is always installed. A declaration
// (Value, PathEntry, Variable, Service, Prerequisite, Step) with
// Component="Docs" is made only when that component is chosen. Default is
// whether it is chosen when nothing else chooses (true without it); a Required
// component is always installed. Title is a string key of the definitions'
// texts, or the text itself; without it the name is shown.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kComponentsElement[] = u"Components";
// The attribute by which a declaration belongs to a component.
constexpr char16_t kComponentAttribute[] = u"Component";
// The setup's switch that chooses them ("/Components:Core,Docs"), and the
// entry of a choices file that stands for it.
constexpr char16_t kComponentsSwitch[] = u"Components";

struct ComponentDeclaration {
    String name;
    String title;
    bool chosenByDefault = true;
    bool required = false;
    std::vector<String> folders;  // "\"-separated, no last separator
    std::vector<String> patterns; // "\"-separated
    XmlPosition position;
};

// The Component elements of `settings`' Components, in document order. 5 and
// "line L, column C: what is wrong" in `problem` for the first mistake: a
// name that is empty, longer than 64 or holds anything but letters, digits,
// "_", "-" and "."; two of one name (letters in any case); a folder or pattern
// that is not a relative path inside the application folder; a component with
// neither. 6 for a missing Name.
Result ReadComponentDeclarations(const XmlNode& settings, std::vector<ComponentDeclaration>* out,
                                 String* problem);

// Whether `pattern` matches `relativePath` (either separator, letters in any case).
bool MatchesFilePattern(const String& pattern, const String& relativePath);
// The index of the component that holds `relativePath`; -1 for none.
int32_t ComponentOfFile(const std::vector<ComponentDeclaration>& components,
                        const String& relativePath);
// The index of the component named `name` (letters in any case); -1 for none.
int32_t FindComponent(const std::vector<ComponentDeclaration>& components, const String& name);

// Which components an installation installs, by index.
using ComponentChoice = std::vector<bool>;

// Each component's default, the required ones chosen.
ComponentChoice DefaultComponentChoice(const std::vector<ComponentDeclaration>& components);
// "Core,Docs": the names of the chosen components (of those left out with
// `chosen` false), in declaration order.
String ComponentListText(const std::vector<ComponentDeclaration>& components,
                         const ComponentChoice& choice, bool chosen = true);
// Reads a list such as "Core,Docs" (blanks around names ignored, an empty text
// choosing none): the named components chosen, the others left out, the
// required ones chosen anyway. 5 and the first unknown name in `unknown`.
Result ParseComponentList(const std::vector<ComponentDeclaration>& components, const String& text,
                          ComponentChoice* choice, String* unknown);
// The names of a list such as "Core, Docs", blanks around them taken off.
std::vector<String> SplitComponentList(const String& text);
// An earlier installation's choice, kept: what it chose (`chosenText`) and
// left out (`leftOutText`) stays so; a component it did not know keeps its
// place in `choice`. Unknown names are passed over: a later version may have
// dropped a component.
void KeepEarlierComponentChoice(const std::vector<ComponentDeclaration>& components,
                                const String& chosenText, const String& leftOutText,
                                ComponentChoice* choice);

} // namespace vorn
