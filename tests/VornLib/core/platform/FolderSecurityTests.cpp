// Who may change the folders an installation for all users makes and works
// in, and the folder of an elevated removal's batch file. Wine keeps no
// descriptor a folder is made with (it shows one made from the Unix
// permissions: 755 lets Everyone read, 777 write), so the descriptors asked
// for are read back, and the check is shown on what Wine shows.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "TestText.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/FolderSecurity.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {
namespace {

// A descriptor as a reader judges it: protected or not, its owner, and the
// access each well-known group is allowed (inherited by what is made in it).
struct Described {
    bool isProtected = false;
    bool ownedByAdministrators = false;
    std::map<std::string, DWORD> access;
    bool othersNamed = false;
};

Described Describe(PSECURITY_DESCRIPTOR descriptor) {
    Described described;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision))
        described.isProtected = (control & SE_DACL_PROTECTED) != 0;
    PSID owner = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    described.ownedByAdministrators = GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) &&
                                      owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return described;
    const struct {
        WELL_KNOWN_SID_TYPE type;
        const char* name;
    } groups[] = {{WinBuiltinAdministratorsSid, "Administrators"},
                  {WinLocalSystemSid, "SYSTEM"},
                  {WinBuiltinUsersSid, "Users"}};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)) ||
            header->AceType != ACCESS_ALLOWED_ACE_TYPE ||
            header->AceFlags != (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) {
            described.othersNamed = true;
            continue;
        }
        const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = const_cast<DWORD*>(&ace->SidStart);
        bool known = false;
        for (const auto& group : groups) {
            if (IsWellKnownSid(sid, group.type)) {
                described.access[group.name] = ace->Mask;
                known = true;
            }
        }
        described.othersNamed = described.othersNamed || !known;
    }
    return described;
}

TEST(FolderSecurity, AProgramFolderIsChangedByAdministratorsAndTheSystemAndReadByUsers) {
    LocalMemory descriptor;
    ASSERT_EQ(0u, ProgramFolderSecurity(&descriptor));
    const Described described = Describe(descriptor.get());
    EXPECT_TRUE(described.isProtected) << "nothing of a drive root's DACL inherited";
    EXPECT_TRUE(described.ownedByAdministrators);
    EXPECT_FALSE(described.othersNamed);
    const std::map<std::string, DWORD> expected = {
        {"Administrators", FILE_ALL_ACCESS},
        {"SYSTEM", FILE_ALL_ACCESS},
        {"Users", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    EXPECT_EQ(expected, described.access) << "Users read and run, no more";
}

// The batch file of an elevated removal runs with administrator rights after
// the removal has ended: only administrators and the system may write where
// it lies.
TEST(FolderSecurity, TheBatchFolderIsWritableByAdministratorsAndTheSystemAlone) {
    LocalMemory descriptor;
    ASSERT_EQ(0u, AdministratorsOnlySecurity(&descriptor));
    const Described described = Describe(descriptor.get());
    EXPECT_TRUE(described.isProtected) << "nothing inherited from the parent";
    EXPECT_TRUE(described.ownedByAdministrators) << "not the user's own";
    EXPECT_FALSE(described.othersNamed);
    const std::map<std::string, DWORD> expected = {{"Administrators", FILE_ALL_ACCESS},
                                                   {"SYSTEM", FILE_ALL_ACCESS}};
    EXPECT_EQ(expected, described.access) << "Administrators and SYSTEM, nobody else";

    // Each folder is new, in the system's temporary folder.
    String first, second;
    ASSERT_EQ(0u, CreateAdministratorsFolder(SystemTemporaryFolder(), u"VornTest-", &first));
    ASSERT_EQ(0u, CreateAdministratorsFolder(SystemTemporaryFolder(), u"VornTest-", &second));
    EXPECT_TRUE(first.startsWith((SystemTemporaryFolder() + u"VornTest-").data()));
    EXPECT_FALSE(second == first);
    EXPECT_TRUE(RemoveDirectoryW(Wide(first.data())));
    EXPECT_TRUE(RemoveDirectoryW(Wide(second.data())));
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
