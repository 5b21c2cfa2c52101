#include "VornLib/app/ComponentDeclarations.h"

#include "VornLib/app/DeclarationReader.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vorn {
namespace {

constexpr uint32_t kLongestName = 64;

// A name fits in the comma-separated lists of the command line and the entry.
bool IsComponentName(const String& name) {
    if (name.isEmpty() || name.length() > kLongestName)
        return false;
    for (uint32_t at = 0; at < name.length(); ++at) {
        const char16_t unit = name[at];
        const bool letter = (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z');
        const bool digit = unit >= u'0' && unit <= u'9';
        if (!letter && !digit && unit != u'_' && unit != u'-' && unit != u'.')
            return false;
    }
    return true;
}

char16_t ComparableUnit(char16_t unit) {
    if (unit == u'/')
        return u'\\';
    return unit >= u'A' && unit <= u'Z' ? char16_t(unit - u'A' + u'a') : unit;
}

// "*" stops at a separator, so that "docs\*.txt" keeps to one folder.
bool MatchesFrom(const String& pattern, uint32_t p, const String& path, uint32_t at) {
    for (; p < pattern.length(); ++p, ++at) {
        const char16_t wanted = ComparableUnit(pattern[p]);
        if (wanted == u'*') {
            for (uint32_t end = at;; ++end) {
                if (MatchesFrom(pattern, p + 1, path, end))
                    return true;
                if (end == path.length() || ComparableUnit(path[end]) == u'\\')
                    return false;
            }
        }
        if (at == path.length())
            return false;
        const char16_t unit = ComparableUnit(path[at]);
        if (unit == u'\\' ? wanted != u'\\' : (wanted != u'?' && wanted != unit))
            return false;
    }
    return at == path.length();
}

bool IsInsideFolder(const String& folder, const String& relativePath) {
    if (relativePath.length() <= folder.length())
        return false;
    for (uint32_t at = 0; at < folder.length(); ++at) {
        if (ComparableUnit(folder[at]) != ComparableUnit(relativePath[at]))
            return false;
    }
    return ComparableUnit(relativePath[folder.length()]) == u'\\';
}

String FileName(const String& relativePath) {
    int32_t at = int32_t(relativePath.length()) - 1;
    while (at >= 0 && ComparableUnit(relativePath[uint32_t(at)]) != u'\\')
        --at;
    return relativePath.mid(uint32_t(at + 1));
}

class ComponentReader : public DeclarationReader {
public:
    explicit ComponentReader(String* problem) : DeclarationReader(problem) {}

    Result component(const XmlNode& element, std::vector<ComponentDeclaration>* out) {
        ComponentDeclaration component;
        component.position = element.position();
        Result result = attribute(element, u"Name", &component.name);
        if (result == kResultOk)
            result = boolean(element, u"Default", true, &component.chosenByDefault);
        if (result == kResultOk)
            result = boolean(element, u"Required", false, &component.required);
        if (result != kResultOk)
            return result;
        (void)element.getAttribute(u"Title", &component.title, u"");
        if (!IsComponentName(component.name))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"the name \"{0}\" is empty, longer than {1} characters or holds "
                               u"other characters than letters, digits, \"_\", \"-\" and \".\"",
                               {component.name, kLongestName}));
        if (FindComponent(*out, component.name) >= 0)
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"a component named \"{0}\" is declared already", {component.name}));
        for (const XmlNode* files = element.firstChild(); files; files = files->nextSibling()) {
            if (files->isElement() && files->name() == u"Files" &&
                (result = filesOf(*files, &component)) != kResultOk)
                return result;
        }
        if (component.folders.empty() && component.patterns.empty())
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"the component \"{0}\" names no files (a Files element with "
                               u"Folder or Pattern)",
                               {component.name}));
        out->push_back(component);
        return kResultOk;
    }

private:
    Result filesOf(const XmlNode& files, ComponentDeclaration* component) {
        const struct {
            const char16_t* attribute;
            std::vector<String>* list;
        } kinds[] = {{u"Folder", &component->folders}, {u"Pattern", &component->patterns}};
        bool named = false;
        for (const auto& kind : kinds) {
            String path;
            if (files.getAttribute(kind.attribute, &path) != kResultOk)
                continue;
            named = true;
            path.replace(u'/', u'\\');
            if (kind.list == &component->folders && path.length() > 1 &&
                path[path.length() - 1] == u'\\')
                path = path.left(path.length() - 1);
            if (!IsRelativeInside(path))
                return fail(kResultInvalidArgument, files.position(),
                            Format(u"{0} \"{1}\" is not inside the application folder (a relative "
                                   u"path without \".\" or \"..\" parts)",
                                   {kind.attribute, path}));
            kind.list->push_back(path);
        }
        if (!named)
            return fail(kResultMissingDefinition, files.position(),
                        u"Files has neither Folder nor Pattern");
        return kResultOk;
    }
};

} // namespace

Result ReadComponentDeclarations(const XmlNode& settings, std::vector<ComponentDeclaration>* out,
                                 String* problem) {
    out->clear();
    problem->clear();
    ComponentReader reader(problem);
    for (const XmlNode* list = settings.firstChild(); list; list = list->nextSibling()) {
        if (!list->isElement() || list->name() != kComponentsElement)
            continue;
        for (const XmlNode* item = list->firstChild(); item; item = item->nextSibling()) {
            if (!item->isElement() || item->name() != u"Component")
                continue;
            const Result result = reader.component(*item, out);
            if (result != kResultOk)
                return result;
        }
    }
    return kResultOk;
}

bool MatchesFilePattern(const String& pattern, const String& relativePath) {
    bool inFolder = false;
    for (uint32_t at = 0; at < pattern.length(); ++at)
        inFolder = inFolder || ComparableUnit(pattern[at]) == u'\\';
    return MatchesFrom(pattern, 0, inFolder ? relativePath : FileName(relativePath), 0);
}

int32_t ComponentOfFile(const std::vector<ComponentDeclaration>& components,
                        const String& relativePath) {
    for (size_t index = 0; index < components.size(); ++index) {
        for (const String& folder : components[index].folders) {
            if (IsInsideFolder(folder, relativePath))
                return int32_t(index);
        }
        for (const String& pattern : components[index].patterns) {
            if (MatchesFilePattern(pattern, relativePath))
                return int32_t(index);
        }
    }
    return -1;
}

int32_t FindComponent(const std::vector<ComponentDeclaration>& components, const String& name) {
    for (size_t index = 0; index < components.size(); ++index) {
        if (CompareTextIgnoringCase(components[index].name.data(), name.data()) == 0)
            return int32_t(index);
    }
    return -1;
}

ComponentChoice DefaultComponentChoice(const std::vector<ComponentDeclaration>& components) {
    ComponentChoice choice;
    for (const ComponentDeclaration& component : components)
        choice.push_back(component.required || component.chosenByDefault);
    return choice;
}

String ComponentListText(const std::vector<ComponentDeclaration>& components,
                         const ComponentChoice& choice, bool chosen) {
    String text;
    for (size_t index = 0; index < components.size() && index < choice.size(); ++index) {
        if (choice[index] != chosen)
            continue;
        if (!text.isEmpty())
            text.append(u',');
        text.append(components[index].name);
    }
    return text;
}

namespace {

// Each name of a comma-separated list, blanks around it taken off.
template <typename Visit> bool ForEachListedName(const String& text, Visit visit) {
    uint32_t begin = 0;
    for (uint32_t at = 0; at <= text.length(); ++at) {
        if (at < text.length() && text[at] != u',')
            continue;
        String name = text.mid(begin, at - begin);
        name.trimLeft();
        name.trimRight();
        begin = at + 1;
        if (!name.isEmpty() && !visit(name))
            return false;
    }
    return true;
}

} // namespace

Result ParseComponentList(const std::vector<ComponentDeclaration>& components, const String& text,
                          ComponentChoice* choice, String* unknown) {
    ComponentChoice parsed(components.size(), false);
    const bool known = ForEachListedName(text, [&](const String& name) {
        const int32_t index = FindComponent(components, name);
        if (index < 0)
            *unknown = name;
        else
            parsed[size_t(index)] = true;
        return index >= 0;
    });
    if (!known)
        return kResultInvalidArgument;
    for (size_t index = 0; index < components.size(); ++index)
        parsed[index] = parsed[index] || components[index].required;
    *choice = parsed;
    return kResultOk;
}

std::vector<String> SplitComponentList(const String& text) {
    std::vector<String> names;
    (void)ForEachListedName(text, [&](const String& name) {
        names.push_back(name);
        return true;
    });
    return names;
}

void KeepEarlierComponentChoice(const std::vector<ComponentDeclaration>& components,
                                const String& chosenText, const String& leftOutText,
                                ComponentChoice* choice) {
    for (const bool chosen : {true, false}) {
        (void)ForEachListedName(chosen ? chosenText : leftOutText, [&](const String& name) {
            const int32_t index = FindComponent(components, name);
            if (index >= 0)
                (*choice)[size_t(index)] = chosen || components[size_t(index)].required;
            return true;
        });
    }
}

} // namespace vorn
