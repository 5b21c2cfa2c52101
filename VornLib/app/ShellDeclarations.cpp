#include "VornLib/app/ShellDeclarations.h"

namespace vorn {
namespace {

// The two declaration lists differ only in their names.
struct DeclarationVocabulary {
    const char16_t* item;
    const char16_t* name;
    const char16_t* command; // null: the kind has no command
};

constexpr DeclarationVocabulary kFileTypes = {u"FileType", u"Extension", nullptr};
constexpr DeclarationVocabulary kProtocols = {u"Protocol", u"Name", u"Command"};

bool HasSeparator(const char16_t* text) {
    for (; *text; ++text)
        if (*text == u'\\' || *text == u'/')
            return true;
    return false;
}

} // namespace

bool IsSafeExtension(const char16_t* extension) {
    return extension && extension[0] == u'.' && extension[1] && !HasSeparator(extension);
}

bool IsSafeScheme(const char16_t* scheme) {
    return scheme && scheme[0] && !HasSeparator(scheme);
}

Result ReadShellDeclarations(const XmlNode& list, bool protocols,
                             std::vector<ShellDeclaration>* out) {
    if (!out)
        return kResultNullOutput;
    out->clear();
    const DeclarationVocabulary& vocabulary = protocols ? kProtocols : kFileTypes;
    for (const XmlNode* item = list.firstChild(); item; item = item->nextSibling()) {
        if (item->name() != vocabulary.item)
            continue;
        ShellDeclaration declaration;
        if (item->getAttribute(vocabulary.name, &declaration.name) != kResultOk ||
            item->getAttribute(u"Description", &declaration.description) != kResultOk ||
            (vocabulary.command &&
             item->getAttribute(vocabulary.command, &declaration.command) != kResultOk)) {
            out->clear();
            return kResultMissingDefinition;
        }
        // Absent: 0. Numbers are read as leniently as everywhere in the XML.
        (void)item->getAttributeInt32(u"IconIndex", &declaration.iconIndex);
        const bool safe = protocols ? IsSafeScheme(declaration.name.data())
                                    : IsSafeExtension(declaration.name.data());
        if (!safe) {
            out->clear();
            return kResultInvalidArgument;
        }
        out->push_back(declaration);
    }
    return kResultOk;
}

} // namespace vorn
