// The demo's main window and the one control kind it adds to the framework:
// "TextPanel", a window that writes its title in its own font and colour. The
// window itself is described in the payload's "Data/Xml/Windows.xml".
#pragma once

#include <memory>

#include "VornLib/app/UpdateCheck.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/MainWindow.h"

namespace vorndemo {

class TextPanel : public vorn::Window {
public:
    static std::unique_ptr<vorn::Window> Create() { return std::make_unique<TextPanel>(); }

protected:
    vorn::Result readAttributes(const vorn::XmlNode& element) override;
    void paint(HDC dc, const RECT& area) override;

private:
    vorn::SystemColour textColour_;
};

// The main window also looks for updates: in the background once it has
// started (when one is due), and when the user presses "Check for updates",
// which only an installation with an update program shows.
class DemoWindow : public vorn::MainWindow {
public:
    static std::unique_ptr<vorn::MainWindow> Create();
    // Registers "TextPanel" with the framework.
    static void RegisterKinds();

    void started() override;
    void openDocuments(const std::vector<vorn::String>& documents) override;

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

private:
    vorn::String documents_;
    vorn::BackgroundUpdateCheck updates_;
    bool checkAsked_ = false;
};

} // namespace vorndemo
