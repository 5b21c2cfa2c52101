#include "VornLib/app/Preferences.h"

#include <atomic>

#include "VornLib/app/AppRuntime.h"
#include "VornLib/data/ResourceLease.h"

namespace vorn {
namespace {

class ProcessPreferences;
// Set once the store exists, so that a flush never creates one.
std::atomic<ProcessPreferences*> gCreated{nullptr};

class ProcessPreferences {
public:
    ProcessPreferences() : store_(&storage_, LoadDefaults(&defaults_), ComputeBaseKey()) {}
    ~ProcessPreferences() { gCreated.store(nullptr); }
    PreferencesStore& store() { return store_; }

private:
    // A payload without defaults is allowed: every read then falls back to 29.
    static const XmlNode* LoadDefaults(ResourceLease<XmlNode>* defaults) {
        ResourceCache& resources = ResourceCache::Instance();
        (void)resources.registerDocument(u"Data/Xml/Preferences.xml");
        (void)resources.getElement(u"Preferences", defaults->receive());
        return defaults->get();
    }
    static String ComputeBaseKey() {
        AppRuntime& runtime = AppRuntime::instance();
        const ApplicationDescription& description = runtime.description();
        String configSet;
        const bool hasSet = runtime.commandLine().switchValue(u"ConfigSet", &configSet);
        return PreferencesStore::BaseKey(description.company, description.name, description.tag,
                                         hasSet ? &configSet : nullptr);
    }

    // Declared before the store, which keeps pointers to both.
    ResourceLease<XmlNode> defaults_;
    RegistryPreferenceStorage storage_;
    PreferencesStore store_;
};

ProcessPreferences& Instance() {
    static ProcessPreferences preferences;
    gCreated.store(&preferences);
    return preferences;
}

} // namespace

PreferencesStore& Preferences() {
    return Instance().store();
}

void FlushPreferences() {
    if (ProcessPreferences* preferences = gCreated.load())
        (void)preferences->store().flush();
}

} // namespace vorn
