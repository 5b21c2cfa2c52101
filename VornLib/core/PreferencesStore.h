// PreferencesStore: settings addressed by paths such as "/User/Global/Language".
// Reads come from three layers (changes since start-up, values already read,
// and the payload's defaults) with the registry between the last two; changes
// reach the registry only when the store is flushed.
#pragma once

#include "VornLib/core/PreferenceStorage.h"

namespace vorn {

class PreferencesStore {
public:
    // `storage` may be null (no persistent layer); `defaults` is the
    // "Preferences" element or null. Neither is owned.
    PreferencesStore(PreferenceStorage* storage, const XmlNode* defaults, const String& baseKey);
    ~PreferencesStore();
    PreferencesStore(const PreferencesStore&) = delete;
    PreferencesStore& operator=(const PreferencesStore&) = delete;

    // "Software\<company>\<name>[ (<tag up to its first space>)][\Custom Sets\<set>]\"
    static String BaseKey(const String& company, const String& name, const String& tag,
                          const String* configSet);
    // Maps a path below one of the four prefixes; 31 for any other path.
    Result locate(const String& path, PreferenceLocation* location) const;

    Result getBoolean(const char16_t* path, bool* value);
    Result getBoolean(const char16_t* path, bool* value, bool fallback);
    Result getInt32(const char16_t* path, int32_t* value);
    Result getFloat32(const char16_t* path, float* value);
    Result getText(const char16_t* path, String* value);

    Result setText(const char16_t* path, const char16_t* value);
    Result setBoolean(const char16_t* path, bool value);
    Result setInt32(const char16_t* path, int32_t value);
    Result setFloat32(const char16_t* path, float value);

    bool exists(const char16_t* path);
    Result purge(const char16_t* path);
    // Writes every change (the changes stay, so a second flush writes them again).
    Result flush();

    // Entry 0-8 of "/User/Local/Recent Files"; 37 when out of range or empty.
    Result recentFile(uint32_t index, String* name, String* metadata);

    // The chosen interface language, read once from "/User/Global/Language";
    // 0 when none or an unknown code is stored.
    uint32_t language();
    // A known code other than "*" is stored (in its canonical form) and becomes
    // the chosen language at once; anything else changes nothing and gives false.
    bool setLanguage(const char16_t* code);

    const String& baseKey() const { return baseKey_; }

private:
    // The node holding the answer for `path` by the read order, or null.
    const XmlNode* lookup(const char16_t* path, XmlValueKind kind, Result* result);
    // One typed getter: `value` reset, then read from the node `lookup` finds.
    template <typename T>
    Result getValue(const char16_t* path, XmlValueKind kind, Result (XmlNode::*get)(T*) const,
                    T* value);
    Result flushChildren(const XmlNode& parent, const String& parentPath);

    PreferenceStorage* storage_;
    const XmlNode* defaults_;
    String baseKey_;
    XmlNode* changes_;
    XmlNode* cache_;
    static constexpr uint32_t kLanguageNotRead = 15;
    uint32_t language_ = kLanguageNotRead;
};

} // namespace vorn
