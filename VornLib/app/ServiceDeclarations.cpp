#include "VornLib/app/ServiceDeclarations.h"

#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/DeclarationReader.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vorn {

const char16_t* const kServiceStartNames[uint32_t(ServiceStart::Count)] = {u"Automatic", u"Manual",
                                                                           u"Disabled"};
const char16_t* const kServiceAccountNames[uint32_t(ServiceAccount::Count)] = {
    u"LocalService", u"NetworkService", u"LocalSystem"};

namespace {

constexpr char16_t kServiceElement[] = u"Service";
// The service manager's limit for a service's name.
constexpr uint32_t kMaxServiceName = 256;

// The index of `word` in `names` (`count` of them), or `fallback` without the
// attribute; false for a word the table lacks.
bool WordOf(const XmlNode& element, const char16_t* attribute, const char16_t* const* names,
            uint32_t count, uint32_t fallback, uint32_t* index) {
    String word;
    *index = fallback;
    if (element.getAttribute(attribute, &word) != kResultOk)
        return true;
    for (*index = 0; *index < count; ++*index) {
        if (word == names[*index])
            return true;
    }
    return false;
}

class ServiceReader : public DeclarationReader {
public:
    explicit ServiceReader(String* problem) : DeclarationReader(problem) {}

    Result service(const XmlNode& element, const std::vector<ServiceDeclaration>& earlier,
                   ServiceDeclaration* service) {
        service->position = element.position();
        (void)element.getAttribute(kComponentAttribute, &service->component, u"");
        Result result = attribute(element, u"Name", &service->name);
        if (result == kResultOk)
            result = attribute(element, u"Program", &service->program);
        if (result != kResultOk)
            return result;
        (void)element.getAttribute(u"DisplayName", &service->displayName, service->name.data());
        (void)element.getAttribute(u"Arguments", &service->arguments, u"");
        (void)element.getAttribute(u"Description", &service->description, u"");
        service->program.replace(u'/', u'\\');
        if (service->name.isEmpty() || service->name.length() > kMaxServiceName ||
            service->name.find(u'\\') >= 0 || service->name.find(u'/') >= 0)
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"the service name \"{0}\" is empty, longer than {1} characters, or "
                               u"holds \"/\" or \"\\\"",
                               {service->name, kMaxServiceName}));
        for (const ServiceDeclaration& other : earlier) {
            if (other.name.compareIgnoringCase(service->name.data()) == 0)
                return fail(
                    kResultInvalidArgument, element.position(),
                    Format(u"a service named \"{0}\" is declared already", {service->name}));
        }
        if (!IsRelativeInside(service->program))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"Program \"{0}\" is not a program of the installation (a path "
                               u"relative to its folder, without \".\" or \"..\" parts)",
                               {service->program}));
        uint32_t start = 0;
        uint32_t account = 0;
        if (!WordOf(element, u"Start", kServiceStartNames, uint32_t(ServiceStart::Count), 0,
                    &start))
            return fail(kResultInvalidArgument, element.position(),
                        u"Start is none of Automatic, Manual, Disabled");
        if (!WordOf(element, u"Account", kServiceAccountNames, uint32_t(ServiceAccount::Count), 0,
                    &account))
            return fail(kResultInvalidArgument, element.position(),
                        u"Account is none of LocalService, NetworkService, LocalSystem");
        service->start = ServiceStart(start);
        service->account = ServiceAccount(account);
        return boolean(element, u"StartAfterInstall", false, &service->startAfterInstall);
    }
};

} // namespace

InstallScopeRule InstallationScopeRule(const InstallScopeRule& declared,
                                       const std::vector<ServiceDeclaration>& services) {
    return services.empty() ? declared : InstallScopeRule();
}

Result ReadServiceDeclarations(const XmlNode& settings, std::vector<ServiceDeclaration>* out,
                               String* problem) {
    out->clear();
    problem->clear();
    ServiceReader reader(problem);
    for (const XmlNode* list = settings.firstChild(); list; list = list->nextSibling()) {
        if (list->name() != kServicesElement)
            continue;
        for (const XmlNode* item = list->firstChild(); item; item = item->nextSibling()) {
            if (!item->isElement() || item->name() != kServiceElement)
                continue;
            ServiceDeclaration service;
            const Result result = reader.service(*item, *out, &service);
            if (result != kResultOk) {
                out->clear();
                return result;
            }
            out->push_back(service);
        }
    }
    return kResultOk;
}

} // namespace vorn
