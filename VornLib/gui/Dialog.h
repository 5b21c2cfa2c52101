// Dialogs: windows of the "<application>::Dialog" class described by a
// "DialogBox" element. "Type" is "Popup", "StatusPopup", "SimplePopup" or
// "ThinPopup"; "WantOK" and "WantCancel" say whether OK and Cancel end the
// dialog, and when absent a dialog that has an OK or Cancel child, or a
// usable Close entry in its system menu, may close by itself. A modal
// dialog runs its own message pump until it ends; every message is offered
// to its shortcut keys and the platform's dialog keyboard handling first.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class Dialog : public Window {
public:
    Dialog();

    // Reads the description of that "ID" (a "DialogBox" element, or the
    // kind's own); the lookup's result when there is none.
    Result load(const char16_t* name);

    // Creates and shows the dialog owned by `owner` (disabled meanwhile) and
    // returns when it ends; `result` receives what it ended with. 4 when no
    // window could be shown (quiet programs show none).
    Result runModal(HWND owner, uint32_t* result);
    Result showModeless(HWND owner);
    // A modal dialog stops its pump; a modeless one is destroyed.
    void endDialog(uint32_t result);
    uint32_t result() const { return result_; }

    void setDefaultButton(uint16_t name) { defaultButton_ = name; }
    bool mayCloseByDefault() const;

protected:
    // The element name of the kind's descriptions.
    virtual const char16_t* descriptionElement() const { return u"DialogBox"; }
    Result readType(const String& type) override;
    Result readAttributes(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    bool preTranslate(MSG* message) override;
    void requestClose() override;
    // OK and Cancel; kinds built on the dialog replace them.
    virtual void onOK();
    virtual void onCancel();

private:
    enum class Want : uint8_t { Unsaid, Yes, No };
    bool allows(Want want) const;

    uint32_t result_ = 0;
    uint16_t defaultButton_;
    Want wantOK_ = Want::Unsaid;
    Want wantCancel_ = Want::Unsaid;
    bool modal_ = false;
    bool done_ = false;
};

} // namespace vorn
