#include "VornLib/app/PrerequisiteDeclarations.h"

#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/DeclarationReader.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vorn {

namespace {

constexpr char16_t kPrerequisiteElement[] = u"Prerequisite";
constexpr char16_t kFilePrefix[] = u"file:";
constexpr char16_t kVersionPrefix[] = u"version>=";

bool StartsWithIgnoringCase(const String& text, const char16_t* prefix) {
    return String(text.left(TextLength(prefix))).compareIgnoringCase(prefix) == 0;
}

} // namespace

Result ParsePrerequisiteDetection(const String& text, PrerequisiteDetection* out) {
    *out = PrerequisiteDetection();
    const int32_t semicolon = text.find(u';');
    const String first = semicolon < 0 ? text : String(text.left(uint32_t(semicolon)));
    const String rest = semicolon < 0 ? String() : text.mid(uint32_t(semicolon) + 1);
    if (StartsWithIgnoringCase(first, kFilePrefix)) {
        out->path = first.mid(TextLength(kFilePrefix));
        out->kind = PrerequisiteDetection::Kind::File;
        if (out->path.isEmpty())
            return kResultInvalidArgument;
        if (semicolon < 0)
            return kResultOk;
        if (!StartsWithIgnoringCase(rest, kVersionPrefix))
            return kResultInvalidArgument;
        out->data = rest.mid(TextLength(kVersionPrefix));
        out->kind = PrerequisiteDetection::Kind::FileVersion;
        return out->data.isEmpty() || out->data[0] < u'0' || out->data[0] > u'9'
                   ? kResultInvalidArgument
                   : kResultOk;
    }
    out->machine = StartsWithIgnoringCase(first, u"HKLM\\");
    if (!out->machine && !StartsWithIgnoringCase(first, u"HKCU\\"))
        return kResultInvalidArgument;
    out->key = first.mid(5);
    if (out->key.isEmpty() || out->key.find(u"\\\\") >= 0 ||
        out->key[out->key.length() - 1] == u'\\')
        return kResultInvalidArgument;
    if (semicolon < 0)
        return kResultOk;
    const int32_t equals = rest.find(u'=');
    out->name = equals < 0 ? rest : String(rest.left(uint32_t(equals)));
    out->kind = PrerequisiteDetection::Kind::RegistryValue;
    if (equals >= 0) {
        out->data = rest.mid(uint32_t(equals) + 1);
        out->kind = PrerequisiteDetection::Kind::RegistryData;
    }
    return kResultOk;
}

Result ReadPrerequisiteDeclarations(const XmlNode& settings,
                                    std::vector<PrerequisiteDeclaration>* out, String* problem) {
    out->clear();
    problem->clear();
    DeclarationReader reader(problem);
    for (const XmlNode* list = settings.firstChild(); list; list = list->nextSibling()) {
        if (list->name() != kPrerequisitesElement)
            continue;
        for (const XmlNode* item = list->firstChild(); item; item = item->nextSibling()) {
            if (!item->isElement() || item->name() != kPrerequisiteElement)
                continue;
            PrerequisiteDeclaration declared;
            declared.position = item->position();
            (void)item->getAttribute(kComponentAttribute, &declared.component, u"");
            String detect;
            String codes;
            Result result = reader.attribute(*item, u"Name", &declared.name);
            if (result == kResultOk)
                result = reader.attribute(*item, u"Program", &declared.program);
            if (result == kResultOk)
                result = reader.attribute(*item, u"Detect", &detect);
            (void)item->getAttribute(u"Arguments", &declared.arguments, u"");
            (void)item->getAttribute(u"SuccessCodes", &codes, u"0");
            declared.program.replace(u'/', u'\\');
            if (result == kResultOk &&
                (declared.name.isEmpty() || !IsRelativeInside(declared.program)))
                result =
                    reader.fail(kResultInvalidArgument, item->position(),
                                Format(u"Program \"{0}\" is not a file inside the application "
                                       u"folder (a relative path without \".\" or \"..\" parts), "
                                       u"or Name is empty",
                                       {declared.program}));
            if (result == kResultOk)
                result = reader.boolean(*item, u"InstallWithProduct", false,
                                        &declared.installWithProduct);
            if (result == kResultOk &&
                ParsePrerequisiteDetection(detect, &declared.detect) != kResultOk)
                result = reader.fail(
                    kResultInvalidArgument, item->position(),
                    Format(u"Detect \"{0}\" is none of \"HKLM\\<key>[;<name>[=<data>]]\", "
                           u"\"HKCU\\…\", \"file:<path>[;version>=<version>]\"",
                           {detect}));
            if (result == kResultOk && !ParseExitCodes(codes, &declared.successCodes))
                result =
                    reader.fail(kResultInvalidArgument, item->position(),
                                Format(u"SuccessCodes \"{0}\" is not a list of exit codes such as "
                                       u"\"0,3010\"",
                                       {codes}));
            for (const PrerequisiteDeclaration& earlier : *out) {
                if (result == kResultOk && earlier.name == declared.name)
                    result = reader.fail(kResultInvalidArgument, item->position(),
                                         Format(u"a prerequisite named \"{0}\" is declared already",
                                                {declared.name}));
            }
            if (result != kResultOk) {
                out->clear();
                return result;
            }
            out->push_back(declared);
        }
    }
    return kResultOk;
}

bool AsksForRestart(uint32_t exitCode) {
    return exitCode == 3010 || exitCode == 1641;
}

} // namespace vorn
