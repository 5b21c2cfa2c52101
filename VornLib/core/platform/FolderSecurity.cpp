#include "VornLib/core/platform/FolderSecurity.h"

#include <initializer_list>

#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/platform/FileSystem.h"

#include <aclapi.h>
#include <sddl.h>

namespace vorn {

namespace {

Result SecurityFromText(const wchar_t* text, LocalMemory* descriptor) {
    if (!descriptor)
        return kResultNullOutput;
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1,
                                                                descriptor->receive(), nullptr)
               ? kResultOk
               : ResultFromSystemError(GetLastError());
}

// The groups every standard user belongs to.
bool IsStandardUsersGroup(PSID sid) {
    for (const WELL_KNOWN_SID_TYPE group :
         {WinBuiltinUsersSid, WinAuthenticatedUserSid, WinWorldSid, WinInteractiveSid}) {
        if (IsWellKnownSid(sid, group))
            return true;
    }
    return false;
}

bool IsTrustedOwner(PSID owner) {
    if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
        IsWellKnownSid(owner, WinLocalSystemSid))
        return true;
    // TrustedInstaller: S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464.
    PSID trustedInstaller = nullptr;
    bool trusted = false;
    if (ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                               &trustedInstaller)) {
        trusted = EqualSid(owner, trustedInstaller) != FALSE;
        LocalFree(trustedInstaller);
    }
    if (trusted)
        return true;
    // The administrator running this setup may own what it made.
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive()))
        return false;
    alignas(TOKEN_USER) uint8_t buffer[256];
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size) &&
           EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

} // namespace

Result AdministratorsOnlySecurity(LocalMemory* descriptor) {
    // Owned by the group, not by the user who elevated: an owner may always
    // change the DACL, and the user's unelevated programs carry the same
    // user. Protected: nothing of the parent's DACL is inherited.
    return SecurityFromText(L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", descriptor);
}

Result CreateAdministratorsFolder(const String& parent, const char16_t* prefix, String* folder) {
    if (!prefix)
        return kResultNullInput;
    if (!folder)
        return kResultNullOutput;
    folder->clear();
    LocalMemory descriptor;
    Result result = AdministratorsOnlySecurity(&descriptor);
    if (result != kResultOk)
        return result;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.get(), FALSE};
    const String base = NormalisedFolder(parent) + prefix;
    result = kResultAlreadyExists;
    // A name nobody could prepare in advance; one that exists is never reused.
    for (uint32_t attempt = 0; attempt < 64 && result == kResultAlreadyExists; ++attempt) {
        const String candidate =
            base + Format(u"{0:X}{1:X}", {uint32_t(GetCurrentProcessId()),
                                          uint32_t(GetTickCount() + attempt * 7919)});
        result = CreateDirectoryW(Wide(LongPath(candidate).data()), &attributes)
                     ? kResultOk
                     : ResultFromSystemError(GetLastError());
        if (result == kResultOk)
            *folder = candidate + u'\\';
    }
    return result;
}

Result ProgramFolderSecurity(LocalMemory* descriptor) {
    // 0x1200a9: read, list, traverse and read attributes (FILE_GENERIC_READ |
    // FILE_GENERIC_EXECUTE), as the system's program files give Users.
    return SecurityFromText(L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)",
                            descriptor);
}

bool StandardUsersMayChange(const String& folder) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    String path = NormalisedFolder(folder);
    if (path.length() > 3)
        path = path.left(path.length() - 1);
    if (GetNamedSecurityInfoW(Wide(path.data()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &raw) != ERROR_SUCCESS)
        return false;
    const LocalMemory descriptor(raw);
    if (!dacl || (owner && !IsTrustedOwner(owner)))
        return true;
    constexpr DWORD kChanging = FILE_ADD_FILE | FILE_WRITE_DATA | FILE_DELETE_CHILD | DELETE |
                                WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(dacl, index, &entry))
            continue;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        // Entries only for what is made inside count too: they are what the
        // installation's files would inherit.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & kChanging) && IsStandardUsersGroup(sid))
            return true;
    }
    return false;
}

} // namespace vorn
