// The sources the tests of `setup` pack: an application folder of files with
// awkward names and fixed dates, definitions, and a stub built as a small
// Windows image.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../VornLib/data/DataTestSupport.h"
#include "PeImageBuilder.h"
#include "ProgramImages.h"
#include "Tools/VornPack/CommandLine.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/Utf8.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#include "VornLib/core/Win32Handles.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace vornpack {

inline void SetWriteTime(const fs::path& path, vorn::DateTime time) {
#ifdef _WIN32
    vorn::KernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const uint64_t value = vorn::FileTimeFromDateTime(time);
    FILETIME fileTime = {DWORD(value), DWORD(value >> 32)};
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &fileTime));
#else
    const timespec times[2] = {{time_t(time / vorn::kMicrosecondsPerSecond), 0},
                               {time_t(time / vorn::kMicrosecondsPerSecond), 250000000}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
#endif
}

struct AppFile {
    const char* path; // UTF-8, "/"-separated
    size_t size;
};

// Listed in the order the file list must give: each folder's entries by
// name in UTF-16 order, folders in their place among the files.
inline const AppFile kAppFiles[] = {
    {"App.exe", 12345},      {"Data/Deep/x y.bin", 70},
    {"Data/Logo.png", 3000}, {u8"Stra\u00dfe \u65e5\u672c.txt", 10},
    {"a&b's [c] #1.txt", 0}, {"zz/one.txt", 1},
};

inline vorn::DateTime DateOf(size_t index) {
    vorn::CalendarTime calendar;
    calendar.year = 2020;
    calendar.month = 2;
    calendar.day = 29;
    calendar.hour = 12;
    calendar.minute = 34;
    calendar.second = 56;
    return vorn::DateTimeFromCalendar(calendar) +
           vorn::DateTime(index) * 86399 * vorn::kMicrosecondsPerSecond;
}

inline void FillApp(const fs::path& folder) {
    for (size_t i = 0; i < std::size(kAppFiles); ++i) {
        const fs::path path = folder / fs::u8path(kAppFiles[i].path);
        fs::create_directories(path.parent_path());
        vorn::WriteWholeFile(path, vorn::SampleMixed(kAppFiles[i].size));
        SetWriteTime(path, DateOf(i));
    }
}

// A stub's resources: a program's, with a version block that names it.
inline std::vector<TestResource> StubResources(const std::u16string& originalFilename) {
    std::vector<TestResource> resources = ProgramResources(true);
    for (TestResource& resource : resources) {
        if (resource.type == ResourceKey::Id(kResourceVersion))
            resource.data = TestVersionBlock(originalFilename);
    }
    return resources;
}

inline const std::string kConfiguration = R"(<?xml version="1.0"?>
<Configuration>
  <Application UUID="9BAE90B6-F29C-4B4B-B112-2C0842BA937A" Name="Test Setup" Version="1.0"
               Company="Test Corp" MultipleInstancesAllowed="false"/>
  <InstallationSettings>
    <Application UUID="7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70" Name="Test" Version="1.0"
                 Company="Test Corp"/>
    <Description>A test</Description>
    <Executable>App.exe</Executable>
    <WebSite>https://test.example/</WebSite>
    <TechnicalSupport>https://test.example/support/</TechnicalSupport>
    <Updates>https://test.example/updates/</Updates>
    <Contact>help@test.example</Contact>
    <Shortcuts>
      <Shortcut Text="Try Test" Help="Starts Test.">App.exe</Shortcut>
    </Shortcuts>
  </InstallationSettings>
</Configuration>
)";

// kConfiguration with `from` replaced by `to`.
inline std::string ConfigurationWith(const std::string& from, const std::string& to) {
    std::string text = kConfiguration;
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A source tree for `setup`: the application, the definitions and a stub.
struct SetupSources {
    vorn::ScratchFolder scratch;
    fs::path app = scratch.path() / "app";
    fs::path definitions = scratch.path() / "definitions";
    fs::path stub = scratch.path() / "VornSetup.exe";
    fs::path out = scratch.path() / "out" / "Setup.exe";

    SetupSources() {
        FillApp(app);
        // The product is built on VornLib: it removes itself.
        vorn::WriteWholeFile(app / "App.exe",
                             FrameworkProgramImage("7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70"));
        SetWriteTime(app / "App.exe", DateOf(0));
        fs::create_directories(definitions / "Xml");
        fs::create_directories(definitions / "Licenses");
        fs::create_directories(out.parent_path());
        write("Configuration.xml", kConfiguration);
        write("Preferences.xml", "<Preferences/>");
        write("Xml/Windows.xml", "<Windows/>");
        write("Licenses/Readme.txt", "read me");
        write("Logo.png", "\x89PNG....");
        writeStub(StubResources(u"VornSetup.exe"));
    }
    void writeStub(const std::vector<TestResource>& resources) {
        ImageSpec spec;
        spec.is64 = true;
        spec.resources = resources;
        vorn::WriteWholeFile(stub, BuildTestImage(spec).bytes);
    }
    void write(const char* name, const std::string& text) {
        vorn::WriteWholeFile(definitions / name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    Arguments arguments(const char16_t* method = u"auto") const {
        return {u"--app",    TextOf(app), u"--definitions", TextOf(definitions), u"-o",
                TextOf(out), u"--stub",   TextOf(stub),     u"--method",         method};
    }
    // Files left in the output folder besides the output.
    std::vector<fs::path> leftovers() const {
        std::vector<fs::path> found;
        for (const auto& item : fs::directory_iterator(out.parent_path())) {
            if (item.path() != out)
                found.push_back(item.path().filename());
        }
        return found;
    }
};

} // namespace vornpack
