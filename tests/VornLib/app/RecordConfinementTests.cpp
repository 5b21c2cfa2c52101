// The per-user record as an attacker with the user's rights writes it: the
// installing process takes it up only when it is the user's own
// installation, and acts on it only when everything it names stays in the
// user's places.
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/RecordConfinement.h"

namespace vorn {
namespace {

UserPlaces Places() {
    UserPlaces places;
    places.profile = u"C:\\users\\ann\\";
    places.shortcutFolders = {u"C:\\users\\ann\\Start Menu\\Programs\\",
                              u"C:\\users\\ann\\Desktop\\"};
    return places;
}

// What a per-user installation of the product records.
InstalledProduct Installed() {
    InstalledProduct product;
    product.folder = u"C:\\users\\ann\\Local\\Programs\\Demo\\";
    product.program = u"C:\\users\\ann\\Local\\Programs\\Demo\\Demo.exe";
    product.programGroup = u"Vorn\\Demo";
    product.files = {u"Demo.exe", u"Help\\Readme.txt"};
    product.shortcuts = {u"C:\\users\\ann\\Start Menu\\Programs\\Vorn\\Demo\\Demo.lnk",
                         u"C:\\users\\ann\\Desktop\\Demo.lnk"};
    return product;
}

TEST(RecordConfinement, WhoTakesUpWhichRecord) {
    RecoveringProcess usersSetup;
    usersSetup.usersOwnScope = true;
    EXPECT_TRUE(TakesUpRecord(true, usersSetup));
    EXPECT_FALSE(TakesUpRecord(false, usersSetup));

    RecoveringProcess elevatedCopy;
    elevatedCopy.elevated = elevatedCopy.elevatedCopy = elevatedCopy.usersOwnScope = true;
    EXPECT_FALSE(TakesUpRecord(true, elevatedCopy));
    EXPECT_TRUE(TakesUpRecord(false, elevatedCopy));

    RecoveringProcess machineSetup; // a quiet setup for all users, in its own process
    machineSetup.elevated = true;
    EXPECT_FALSE(TakesUpRecord(true, machineSetup));
    EXPECT_TRUE(TakesUpRecord(false, machineSetup));
}

TEST(RecordConfinement, WhatTheUsersOwnInstallationRecordsIsConfined) {
    EXPECT_EQ(String(), ConfinementFault(Installed(), Places(), true));
    EXPECT_EQ(String(), ConfinementFault(InstalledProduct(), Places(), true));
    // With the user's own rights the folder may be anywhere the user chose.
    InstalledProduct elsewhere = Installed();
    elsewhere.folder = u"D:\\Apps\\Demo\\";
    elsewhere.program = u"D:\\Apps\\Demo\\Demo.exe";
    EXPECT_EQ(String(), ConfinementFault(elsewhere, Places(), false));
    EXPECT_NE(String(), ConfinementFault(elsewhere, Places(), true));
}

TEST(RecordConfinement, PlantedRecordsAreRefused) {
    struct Case {
        const char* what;
        void (*plant)(InstalledProduct*);
    };
    const Case cases[] = {
        {"a system folder", [](InstalledProduct* p) { p->folder = u"C:\\windows\\"; }},
        {"the profile's parent by ..",
         [](InstalledProduct* p) { p->folder = u"C:\\users\\ann\\..\\bob\\"; }},
        {"a relative folder", [](InstalledProduct* p) { p->folder = u"Programs\\Demo\\"; }},
        {"a network folder", [](InstalledProduct* p) { p->folder = u"\\\\server\\share\\"; }},
        {"files without a folder", [](InstalledProduct* p) { p->folder = u""; }},
        {"a file outside by ..", [](InstalledProduct* p) { p->files.push_back(u"..\\..\\x.ini"); }},
        {"an absolute file",
         [](InstalledProduct* p) { p->files.push_back(u"C:\\windows\\win.ini"); }},
        {"a program elsewhere",
         [](InstalledProduct* p) { p->program = u"C:\\users\\ann\\Downloads\\evil.exe"; }},
        {"a group outside the start menu",
         [](InstalledProduct* p) { p->programGroup = u"..\\..\\..\\Documents"; }},
        {"a shortcut in all users' start menu",
         [](InstalledProduct* p) {
             p->shortcuts.push_back(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\x.lnk");
         }},
        {"a shortcut out of the desktop by ..",
         [](InstalledProduct* p) { p->shortcuts.push_back(u"C:\\users\\ann\\Desktop\\..\\x"); }},
    };
    for (const Case& c : cases) {
        InstalledProduct product = Installed();
        c.plant(&product);
        EXPECT_NE(String(), ConfinementFault(product, Places(), true)) << c.what;
    }
}

} // namespace
} // namespace vorn
