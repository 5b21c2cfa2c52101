#include "Applications/VornUpdate/UpdateInstallation.h"

#include "VornLib/app/Entry.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/app/UpdateJournal.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"

namespace vornupdate {

using namespace vorn;

namespace {

const char16_t kProductDocument[] = u"Data/Xml/Product.xml";

Result ReadProduct(Installation* installation, String* message) {
    ResourceCache& resources = ResourceCache::Instance();
    const XmlDocument* document = nullptr;
    ApplicationDescription description;
    if (resources.registerDocument(kProductDocument) != kResultOk ||
        resources.getDocument(kProductDocument, &document) != kResultOk || !document->root() ||
        ReadApplicationElement(&description) != kResultOk) {
        *message = u"This update program carries no product: it is not one that VornPack made.";
        return kResultCrcError;
    }
    installation->product = description.uuid;
    installation->name = description.name;
    installation->folder = NormalisedFolder(ParentFolder(ExecutablePath()));
    if (!description.executable.isEmpty())
        installation->executable =
            JoinPath(installation->folder, WindowsPath(description.executable));
    String problem;
    const Result read = ReadUpdateFeed(*document->root(), &installation->feed, &problem);
    (void)resources.release(document);
    if (read != kResultOk || !installation->feed.declared) {
        *message = u"This update program's product declares no usable update feed" +
                   (problem.isEmpty() ? String() : u": " + problem) + u'.';
        return kResultCrcError;
    }
    return kResultOk;
}

} // namespace

int32_t FindInstallation(Installation* installation, String* message) {
    const Result read = ReadProduct(installation, message);
    if (read != kResultOk)
        return int32_t(read);
    for (const InstallScope scope : {InstallScope::Machine, InstallScope::User}) {
        UninstallEntry entry(installation->product, scope);
        String folder;
        if (!entry.exists() || entry.readText(EntryValue::InstallFolder, &folder) != kResultOk ||
            !SamePath(NormalisedFolder(folder), installation->folder))
            continue;
        installation->scope = scope;
        (void)entry.readText(EntryValue::DisplayVersion, &installation->version);
        return 0;
    }
    // An update interrupted (a kill, a power cut) after the previous entry
    // went: the newest version's setup finishes or undoes it, and installs.
    for (const InstallScope scope : {InstallScope::Machine, InstallScope::User}) {
        UpdateJournal journal(installation->product, scope);
        if (!journal.exists() || (!SamePath(journal.next().folder, installation->folder) &&
                                  !SamePath(journal.previous().folder, installation->folder)))
            continue;
        installation->scope = scope;
        installation->interrupted = true;
        return 0;
    }
    *message = Format(u"{0} is not installed in \"{1}\": no uninstall entry names that folder.",
                      {installation->name, installation->folder});
    return 4;
}

String RecordedVersion(const Installation& installation) {
    String version;
    UninstallEntry entry(installation.product, installation.scope);
    if (entry.readText(EntryValue::DisplayVersion, &version) != kResultOk)
        version.clear();
    return version;
}

} // namespace vornupdate
