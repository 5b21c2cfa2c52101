// Where the preferences store keeps values between runs: the registry on
// Windows. The store speaks in mapped locations (root, key path, value name)
// and hands values over as XML nodes, which carry the value and its kind.
#pragma once

#include "VornLib/core/XmlNode.h"

namespace vorn {

// The registry wrapper's root kinds.
enum class PreferenceRoot : uint32_t { CurrentUser = 2, LocalMachine = 3 };

struct PreferenceLocation {
    PreferenceRoot root = PreferenceRoot::CurrentUser;
    String keyPath; // ends with "\"
    String valueName;
};

class PreferenceStorage {
public:
    virtual ~PreferenceStorage() = default;
    // Reads the value as `kind` into `target`; a value of another type fails.
    virtual Result read(const PreferenceLocation& location, XmlValueKind kind, XmlNode* target) = 0;
    virtual Result write(const PreferenceLocation& location, const XmlNode& value) = 0;
    // Deletes the subkey `valueName` of `keyPath` with everything below it.
    virtual Result deleteTree(const PreferenceLocation& location) = 0;
    virtual bool keyExists(PreferenceRoot root, const String& keyPath) = 0;
};

#ifdef _WIN32
// The registry, through RegistryKey.
class RegistryPreferenceStorage : public PreferenceStorage {
public:
    Result read(const PreferenceLocation& location, XmlValueKind kind, XmlNode* target) override;
    Result write(const PreferenceLocation& location, const XmlNode& value) override;
    Result deleteTree(const PreferenceLocation& location) override;
    bool keyExists(PreferenceRoot root, const String& keyPath) override;
};
#endif

} // namespace vorn
