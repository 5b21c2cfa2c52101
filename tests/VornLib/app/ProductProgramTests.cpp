// The product a program stands for, and the declarations of its file types
// and protocols, as the framework's removal program and VornPack read them.
#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "VornLib/app/ProductProgram.h"
#include "VornLib/app/ShellDeclarations.h"
#include "VornLib/core/XmlDocument.h"

namespace vorn {
namespace {

TEST(ProductProgram, TheDescriptionsExecutableBesideTheRunningProgram) {
    ApplicationDescription description;
    const String own = u"C:\\Program Files\\Hello\\VornUninstall.exe";
    EXPECT_EQ(ProductExecutablePath(description, own), own)
        << "a VornLib program stands for itself";
    description.executable = u"Hello.exe";
    EXPECT_EQ(ProductExecutablePath(description, own), u"C:\\Program Files\\Hello\\Hello.exe");
    description.executable = u"bin/Hello.exe";
    EXPECT_EQ(ProductExecutablePath(description, own), u"C:\\Program Files\\Hello\\bin\\Hello.exe");
}

TEST(ShellDeclarations, ReadAsDeclaredOrRefusedWhole) {
    const struct {
        const char* xml;
        bool protocols;
        uint32_t expected;
        size_t count;
    } cases[] = {
        {R"(<FileTypes><FileType Extension=".a" Description="A"/><Other/>
            <FileType Extension=".b" Description="B"/></FileTypes>)",
         false, 0, 2},
        {R"(<FileTypes><FileType Extension="a" Description="A"/></FileTypes>)", false, 5, 0},
        {R"(<CustomProtocols><Protocol Name="p" Description="P"/></CustomProtocols>)", true, 6, 0},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.xml);
        XmlDocument document;
        ASSERT_EQ(0u, document.parse(each.xml, uint32_t(std::string(each.xml).size()), u"test"));
        std::vector<ShellDeclaration> declarations(3);
        EXPECT_EQ(each.expected,
                  ReadShellDeclarations(*document.root(), each.protocols, &declarations));
        EXPECT_EQ(each.count, declarations.size());
    }
    XmlDocument document;
    const std::string xml = R"(<FileTypes><FileType Extension=".a" Description="#A"/></FileTypes>)";
    ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"test"));
    std::vector<ShellDeclaration> declarations;
    ASSERT_EQ(0u, ReadShellDeclarations(*document.root(), false, &declarations));
    EXPECT_EQ(declarations[0].description, u"#A") << "the caller resolves the key";
    EXPECT_EQ(0, declarations[0].iconIndex);
}

} // namespace
} // namespace vorn
