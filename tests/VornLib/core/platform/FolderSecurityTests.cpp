// Who may change the folders an installation for all users makes and works
// in. Wine keeps no descriptor a folder is made with (it shows one made from
// the Unix permissions: 755 lets Everyone read, 777 write), so the
// descriptor asked for is read back, and the check is shown on what Wine
// shows.
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {
namespace {

TEST(FolderSecurity, AProgramFolderIsChangedByAdministratorsAndTheSystemAndReadByUsers) {
    LocalMemory descriptor;
    ASSERT_EQ(0u, ProgramFolderSecurity(&descriptor));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing of a drive root's DACL inherited";
    PSID owner = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted));
    EXPECT_TRUE(owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    DWORD administrators = 0, system = 0, users = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&header)));
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, header->AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, header->AceFlags);
        const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = const_cast<DWORD*>(&ace->SidStart);
        DWORD* slot = IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ? &administrators
                      : IsWellKnownSid(sid, WinLocalSystemSid)         ? &system
                      : IsWellKnownSid(sid, WinBuiltinUsersSid)        ? &users
                                                                       : nullptr;
        ASSERT_TRUE(slot) << "nobody else is named";
        *slot = ace->Mask;
    }
    EXPECT_EQ(DWORD(FILE_ALL_ACCESS), administrators);
    EXPECT_EQ(DWORD(FILE_ALL_ACCESS), system);
    EXPECT_EQ(DWORD(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), users) << "read and run, no more";
}

TEST(FolderSecurity, AFolderUsersMayWriteIsFound) {
    const String folder = TemporaryFolder() + u"VornFolderSecurityTest\\";
    ASSERT_EQ(0u, CreateFolderTree(folder));
    // Made by this process (755 under Wine): Everyone reads it, nobody else writes.
    EXPECT_FALSE(StandardUsersMayChange(folder));
    EXPECT_FALSE(StandardUsersMayChange(folder + u"Missing\\")) << "nothing there to change";
    EXPECT_TRUE(RemoveDirectoryW(Wide(folder.data())));
}

} // namespace
} // namespace vorn
