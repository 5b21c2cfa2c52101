// Message boxes on the screen: shown on a second thread as a program shows
// them, read and answered by the test as a user would.
#include <gtest/gtest.h>

#include <thread>

#include "TestText.h"
#include "VornLib/gui/MessageBox.h"
#include "WindowDriver.h"

namespace vorn {
namespace {

MessageBoxContent Question() {
    MessageBoxContent content;
    content.icon = MessageIcon::Warning;
    content.title = u"Tool - Uninstall";
    content.header = u"Do you want to uninstall Tool?";
    content.body = u"Read <a href=\"https://example.com/help\">the help</a> first.";
    content.present[kButtonYes] = content.present[kButtonNo] = true;
    content.captions[kButtonYes] = u"Remove";
    content.captions[kButtonNo] = u"Keep";
    return content;
}

struct Shown {
    std::wstring title;
    std::vector<std::wstring> texts;
    uint32_t answer = 99;
};

// Shows `content` on its own thread, waits for its window, saves a picture of
// the screen, presses `button` and returns what the box answered.
Shown ShowAndPress(const MessageBoxContent& content, const std::wstring& button,
                   const wchar_t* screenshot) {
    Shown shown;
    std::thread box([&] { shown.answer = ShowMessageBoxContent(content, nullptr); });
    const std::wstring title(Wide(content.title.data()));
    if (HWND window = vorntest::WaitForWindow(title, 20)) {
        Sleep(300);
        shown.title = vorntest::WindowText(window);
        for (const auto& child : vorntest::ChildTexts(window))
            shown.texts.push_back(child.second);
        vorntest::SaveScreenshot(std::wstring(VORN_SCREENSHOTS) + L"\\" + screenshot);
        EXPECT_TRUE(vorntest::PressButton(window, button));
    } else {
        ADD_FAILURE() << "no window";
    }
    box.join();
    return shown;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
    for (const std::wstring& text : texts)
        if (text.find(part) != std::wstring::npos)
            return true;
    return false;
}

TEST(MessageBoxWindow, TaskDialogAnswersWithTheCustomButtons) {
    SetTaskDialogAllowed(true);
    Shown yes = ShowAndPress(Question(), L"Remove", L"taskdialog-question.bmp");
    EXPECT_EQ(kButtonYes, yes.answer);
    EXPECT_EQ(L"Tool - Uninstall", yes.title);
    EXPECT_TRUE(Contains(yes.texts, L"Do you want to uninstall Tool?"));
    EXPECT_TRUE(Contains(yes.texts, L"Keep"));

    Shown no = ShowAndPress(Question(), L"Keep", L"taskdialog-question-no.bmp");
    EXPECT_EQ(kButtonNo, no.answer);
}

TEST(MessageBoxWindow, WithoutTheTaskDialogThePlainBoxShowsLinkTargets) {
    SetTaskDialogAllowed(false);
    Shown shown = ShowAndPress(Question(), L"No", L"fallback-question.bmp");
    SetTaskDialogAllowed(true);
    EXPECT_EQ(kButtonNo, shown.answer);
    // The plain box has the system's captions and one text with every part.
    EXPECT_TRUE(Contains(shown.texts, L"Do you want to uninstall Tool?\n\nRead "
                                      L"https://example.com/help first."))
        << "texts: " << shown.texts.size();
    EXPECT_FALSE(Contains(shown.texts, L"<a href"));
    EXPECT_TRUE(Contains(shown.texts, L"Yes"));
}

TEST(MessageBoxWindow, OkBoxAnswersOk) {
    MessageBoxContent content;
    content.icon = MessageIcon::Information;
    content.title = u"Tool - Done";
    content.header = u"Tool has been uninstalled";
    content.present[kButtonOK] = true;
    content.captions[kButtonOK] = u"OK";
    for (const bool taskDialog : {true, false}) {
        SetTaskDialogAllowed(taskDialog);
        EXPECT_EQ(kButtonOK, ShowAndPress(content, L"OK",
                                          taskDialog ? L"taskdialog-ok.bmp" : L"fallback-ok.bmp")
                                 .answer);
    }
    SetTaskDialogAllowed(true);
}

} // namespace
} // namespace vorn
