// The payload writer end to end on Windows: VornDemo.exe, which carries an
// icon, a version block, a manifest and a payload, takes a new payload that
// names another version. The result must start, show that version, and still
// hold the program's own resources. `setup` itself refuses VornDemo.exe as its
// stub: it is not the setup program.
#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "ChildProcess.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/PeResources.h"
#include "Tools/VornPack/Setup.h"
#include "VornLib/core/Win32.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;

fs::path OwnFolder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path();
}

HWND WaitForDemoWindow(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (HWND window = FindWindowW(L"VornDemo::Window", nullptr))
            return window;
        Sleep(50);
    }
    return nullptr;
}

// A program's resource read as data, without running it.
class ResourceModule {
public:
    explicit ResourceModule(const fs::path& path)
        : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ResourceModule() {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }
    std::vector<uint8_t> bytes(LPCWSTR type, WORD id) const {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
        const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
        if (!data)
            return {};
        return std::vector<uint8_t>(data, data + SizeofResource(module_, found));
    }

private:
    HMODULE module_;
};

TEST(SetupDemo, TheNewPayloadRunsAndTheStubsResourcesStay) {
    vorn::ScratchFolder scratch;
    const fs::path app = scratch.path() / "app";
    const fs::path definitions = scratch.path() / "payload" / "Data" / "Xml";
    fs::create_directories(app / "Help");
    fs::create_directories(definitions);
    vorn::WriteWholeFile(app / "Help" / "Readme.txt", vorn::SampleText(5000));
    const std::string description =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VornDemo>\n"
        "  <Application UUID=\"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70\" Name=\"VornDemo\" "
        "Version=\"9.9.9\" Company=\"Vorn Software\" MultipleInstancesAllowed=\"false\" "
        "TrackingID=\"\" MaxFrameRate=\"60\" MainWindow=\"MainWindow\"/>\n</VornDemo>\n";
    vorn::WriteWholeFile(definitions / "VornDemo.xml",
                         std::vector<uint8_t>(description.begin(), description.end()));
    const std::string windows = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Windows>\n"
                                "  <Window ID=\"MainWindow\" Type=\"MainWindow\"/>\n</Windows>\n";
    vorn::WriteWholeFile(definitions / "Windows.xml",
                         std::vector<uint8_t>(windows.begin(), windows.end()));

    const fs::path stub = OwnFolder() / "VornDemo.exe";
    const wchar_t* kOutputName = L"VornDemoSetupTest.exe";
    const fs::path output = OwnFolder() / kOutputName;
    // A run that stopped half-way leaves its setup behind.
    std::error_code ignored;
    fs::remove(output, ignored);
    testing::internal::CaptureStderr();
    EXPECT_EQ(39, vornpack::Setup({u"--app", TextOf(app), u"--definitions", TextOf(definitions),
                                   u"-o", TextOf(output), u"--stub", TextOf(stub)}));
    const std::string refusal = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, refusal.find("is not the setup program")) << refusal;
    EXPECT_FALSE(fs::exists(output));

    const fs::path container = scratch.path() / "payload.bin";
    ASSERT_EQ(0, vornpack::Pack(
                     {TextOf(scratch.path() / "payload"), u"-o", TextOf(container), u"--quiet"}));
    {
        const std::vector<uint8_t> program = vorn::ReadWholeFile(stub);
        PeImage image;
        ASSERT_EQ(0u, image.parse(program.data(), program.size()));
        vorn::FileStream payload;
        vorn::FileStream written;
        ASSERT_EQ(0u, payload.openRead(TextOf(container).data()));
        ASSERT_EQ(0u, written.openWrite(TextOf(output).data()));
        ASSERT_EQ(0u, image.writeWithResource(ResourceKey::Id(kResourceRcData),
                                              ResourceKey::Id(kPayloadResource), &payload,
                                              payload.size(), &written));
        ASSERT_EQ(0u, written.close());
    }

    {
        vorn::ChildProcess demo;
        ASSERT_TRUE(demo.start(kOutputName, L""));
        HWND window = WaitForDemoWindow(60000);
        ASSERT_NE(nullptr, window);
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        EXPECT_STREQ(L"VornDemo 9.9.9", title) << "name and version from the new payload";
        PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(demo.wait(60000));
        EXPECT_EQ(0u, demo.exitCode());
    }

    const ResourceModule original(stub);
    const ResourceModule written(output);
    ASSERT_NE(nullptr, original.get());
    ASSERT_NE(nullptr, written.get());
    EXPECT_NE(nullptr, LoadIconW(written.get(), MAKEINTRESOURCEW(128)));
    const struct {
        LPCWSTR type;
        WORD id;
    } kKept[] = {{RT_GROUP_ICON, 128}, {RT_ICON, 1}, {RT_VERSION, 1}, {RT_MANIFEST, 1}};
    for (const auto& kept : kKept) {
        SCOPED_TRACE(kept.id);
        const std::vector<uint8_t> before = original.bytes(kept.type, kept.id);
        ASSERT_FALSE(before.empty());
        EXPECT_TRUE(before == written.bytes(kept.type, kept.id));
    }
    const std::vector<uint8_t> payload = written.bytes(RT_RCDATA, 4096);
    ASSERT_GT(payload.size(), 57u);
    EXPECT_EQ(0, std::memcmp(payload.data(), "StraFiLe\x1A", 10));
    EXPECT_FALSE(payload == original.bytes(RT_RCDATA, 4096));

    std::error_code error;
    fs::remove(output, error);
}

} // namespace
} // namespace vornpack
