#include "VornLib/core/PreferenceStorage.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {
namespace {

// Key paths arrive ending with "\"; the registry wants them without.
Result OpenKey(RegistryKey& key, PreferenceRoot root, const String& keyPath) {
    const uint32_t length = keyPath.length();
    const bool trailing = length && keyPath[length - 1] == u'\\';
    return key.open(uint32_t(root), keyPath.left(trailing ? length - 1 : length).data());
}

} // namespace

Result RegistryPreferenceStorage::read(const PreferenceLocation& location, XmlValueKind kind,
                                       XmlNode* target) {
    RegistryKey key;
    Result result = OpenKey(key, location.root, location.keyPath);
    if (result != kResultOk)
        return result;
    const char16_t* name = location.valueName.data();
    switch (kind) {
    case XmlValueKind::Boolean: {
        bool value = false;
        result = key.readBoolean(name, &value);
        if (result == kResultOk)
            target->setBoolean(value);
        return result;
    }
    case XmlValueKind::Int32: {
        int32_t value = 0;
        result = key.readInt32(name, &value);
        if (result == kResultOk)
            target->setInt32(value);
        return result;
    }
    case XmlValueKind::Float32: {
        float value = 0;
        result = key.readFloat(name, &value);
        if (result == kResultOk)
            target->setFloat32(value);
        return result;
    }
    default: {
        String value;
        result = key.readText(name, &value);
        return result == kResultOk ? target->setText(value.data()) : result;
    }
    }
}

Result RegistryPreferenceStorage::write(const PreferenceLocation& location, const XmlNode& value) {
    RegistryKey key;
    const Result result = OpenKey(key, location.root, location.keyPath);
    if (result != kResultOk)
        return result;
    const char16_t* name = location.valueName.data();
    switch (value.kind()) {
    case XmlValueKind::Boolean: {
        bool flag = false;
        (void)value.getBoolean(&flag);
        return key.writeBoolean(name, flag);
    }
    case XmlValueKind::Int32: {
        int32_t number = 0;
        (void)value.getInt32(&number);
        return key.writeInt32(name, number);
    }
    case XmlValueKind::Int64: {
        int64_t number = 0;
        (void)value.getInt64(&number);
        return key.writeInt64(name, number);
    }
    case XmlValueKind::Float32: {
        float number = 0;
        (void)value.getFloat32(&number);
        return key.writeFloat(name, number);
    }
    case XmlValueKind::Float64: {
        double number = 0;
        (void)value.getFloat64(&number);
        return key.writeDouble(name, number);
    }
    case XmlValueKind::Text:
        return key.writeText(name, value.text().data());
    default:
        return kResultKindMismatch;
    }
}

Result RegistryPreferenceStorage::deleteTree(const PreferenceLocation& location) {
    RegistryKey key;
    const Result result = OpenKey(key, location.root, location.keyPath);
    return result == kResultOk ? key.deleteSubkeyTree(location.valueName.data()) : result;
}

bool RegistryPreferenceStorage::keyExists(PreferenceRoot root, const String& keyPath) {
    RegistryKey key;
    return OpenKey(key, root, keyPath) == kResultOk && key.exists();
}

} // namespace vorn
