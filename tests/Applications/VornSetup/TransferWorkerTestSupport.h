// What the file transfer tests share: a payload of two containers built in
// memory and mounted into the process's resource file system, manifests that
// install its files into a scratch folder, and the fixture that records the
// progress shown.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Applications/VornSetup/TransferWorker.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/DataTestSupport.h"

namespace vornsetup::transfertests {

using vorn::DateTime;
using vorn::ScratchFolder;
namespace fs = std::filesystem;

constexpr uint64_t kMiB = 1u << 20;

// String entries by key, in one language.
class Strings : public vorn::LocalizedElementSource {
public:
    Strings() {
        static const char kXml[] = R"(<Strings Language="en">
  <String ID="ProgressionText">{0,.0}% completed</String>
  <String ID="TimeRemaining">Time remaining:</String>
  <String ID="TimeRemainingAboutXMinutes">about {0} minutes</String>
  <String ID="TimeRemainingAboutAMinute">about a minute</String>
  <String ID="TimeRemainingLessThanMinute">less than a minute</String>
  <String ID="TimeRemainingAbout10Seconds">about 10 seconds</String>
  <String ID="TimeRemainingAbout5Seconds">about 5 seconds</String>
  <String ID="TimeRemaining0Second">0 seconds</String>
</Strings>)";
        EXPECT_EQ(0u, table_.parse(kXml, uint32_t(sizeof(kXml) - 1), u"strings"));
        for (vorn::XmlNode* entry = table_.root()->firstChild(); entry;
             entry = entry->nextSibling()) {
            String id;
            if (entry->getAttribute(u"ID", &id, u"") == vorn::kResultOk && !id.isEmpty())
                entries_[id.data()] = entry;
        }
    }
    Result getLocalizedElement(const char16_t*, const char16_t* id,
                               const vorn::XmlNode** out) override {
        const auto found = entries_.find(id ? id : u"");
        *out = found == entries_.end() ? nullptr : found->second;
        return *out ? vorn::kResultOk : vorn::kResultNotFound;
    }
    Result release(const void*) override { return vorn::kResultOk; }

private:
    vorn::XmlDocument table_;
    std::map<std::u16string, const vorn::XmlNode*> entries_;
};

// Everything the transfer shows, in order; `onPosition` runs on the copying
// thread after each position is recorded.
class Recorder : public TransferProgress {
public:
    void setRange(double total) override { ranges.push_back(total); }
    void setPosition(double done) override {
        positions.push_back(done);
        if (onPosition)
            onPosition(done);
    }
    void setTimeText(const String& text) override { timeTexts.push_back(text); }
    void setProgressText(const String& text) override { progressTexts.push_back(text); }

    std::vector<double> ranges;
    std::vector<double> positions;
    std::vector<String> timeTexts;
    std::vector<String> progressTexts;
    std::function<void(double)> onPosition;
};

// Nested so deep that, under any install folder, its path passes 260 characters.
inline const std::string kDeepName =
    "Chapter one of a manual with a long name/Section two of it, long enough too/"
    "Subsection three, deeper still/And a fourth level for good measure/"
    "A fifth level, so that the whole path is well beyond the limit/Page.txt";

// The payload's contents, by name under the source root "App/".
std::vector<uint8_t> Contents(const std::string& name);
// The payload, mounted once for the whole process.
void MountPayload();

// The dates the manifests give their files, in turn.
extern const DateTime kDates[3];

// A manifest installing `names` into <scratch>\Vorn Test Co\Vorn Demo.
InstallManifest Manifest(const ScratchFolder& scratch, const std::vector<std::string>& names);
fs::path InstallFolder(const InstallManifest& manifest);

// Copies the files and puts them in place, as run does before registering.
inline Result Install(TransferWorker& worker) {
    const Result copied = worker.copyFiles();
    return copied != vorn::kResultOk ? copied : worker.placeFiles();
}

fs::path Partial(const fs::path& path);
// Where a folder that was not there is written until all its files are.
fs::path PartialFolder(const fs::path& folder);

class TransferWorkerTest : public ::testing::Test {
protected:
    void SetUp() override { MountPayload(); }

    ScratchFolder scratch;
    Strings strings;
    Recorder progress;
};

} // namespace vornsetup::transfertests
