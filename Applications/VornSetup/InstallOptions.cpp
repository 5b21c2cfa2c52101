#include "Applications/VornSetup/InstallOptions.h"

#include "VornLib/core/Path.h"

namespace vornsetup {
namespace {

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

bool IsLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

} // namespace

bool IsRelativePath(const String& text) {
    const char16_t* units = text.data();
    if (text.length() <= 1)
        return true;
    if (IsSeparator(units[0]))
        return false;
    return !(IsLetter(units[0]) && units[1] == u':');
}

bool EndsWithSeparator(const String& text) {
    return text.length() > 0 && IsSeparator(text.data()[text.length() - 1]);
}

namespace {

// The options page's texts for the framework's reasons.
struct FolderProblemText {
    vorn::FolderPathProblem problem;
    const char16_t* text;
};
const FolderProblemText kFolderProblemTexts[] = {
    {vorn::FolderPathProblem::ForbiddenCharacter, u"#FolderForbiddenCharacter"},
    {vorn::FolderPathProblem::UnnamedPart, u"#FolderUnnamedPart"},
    {vorn::FolderPathProblem::DeviceName, u"#FolderDeviceName"},
};

} // namespace

const char16_t* InstallFolderProblem(const String& folder) {
    // "C:" or "C:Tools" would name the drive's current folder, wherever that is.
    const char16_t* units = folder.data();
    if (folder.length() < 4 || !IsLetter(units[0]) || units[1] != u':' || !IsSeparator(units[2]))
        return u"#FolderNotFullPath";
    const vorn::FolderPathProblem problem = vorn::FolderPathProblemOf(folder);
    for (const FolderProblemText& row : kFolderProblemTexts) {
        if (row.problem == problem)
            return row.text;
    }
    return EndsWithSeparator(folder) ? u"#FolderEndsWithSeparator" : nullptr;
}

namespace {

const struct {
    const char16_t* text;
    const char16_t* words;
} kFolderProblemWords[] = {
    {u"#FolderNotFullPath", u"not a full path such as C:\\Programs\\Name"},
    {u"#FolderForbiddenCharacter", u"a character no folder may hold (\" * < > ? |, a colon)"},
    {u"#FolderUnnamedPart",
     u"a part without a name (two separators in a row, \".\", \"..\", a dot or blank at its end)"},
    {u"#FolderDeviceName", u"a part that names a device (CON, NUL, COM1, LPT1…)"},
    {u"#FolderEndsWithSeparator", u"a separator at its end"},
};

} // namespace

const char16_t* InstallFolderProblemInWords(const String& folder) {
    const char16_t* problem = InstallFolderProblem(folder);
    for (const auto& row : kFolderProblemWords) {
        if (problem && String(problem) == row.text)
            return row.words;
    }
    return nullptr;
}

bool IsValidInstallFolder(const String& folder) {
    return InstallFolderProblem(folder) == nullptr;
}

bool IsValidProgramGroup(const String& group) {
    return vorn::IsValidFolderPath(group) && !EndsWithSeparator(group) && IsRelativePath(group);
}

uint64_t SpaceRequiredMiB(uint64_t totalSize) {
    constexpr uint64_t kMiB = uint64_t(1) << 20;
    return totalSize / kMiB + (totalSize % kMiB ? 1 : 0);
}

String GroupAfterPick(const String& picked, const String& displayName) {
    return picked + u"\\" + displayName;
}

} // namespace vornsetup
