#include "VornLib/gui/RichEditControl.h"

#include <richedit.h>
#include <windowsx.h>

#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/LinkTarget.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/StyleWords.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

constexpr DescriptionWord<WORD> kParagraphAligns[] = {
    {u"left", PFA_LEFT},
    {u"right", PFA_RIGHT},
    {u"center", PFA_CENTER},
};

// The context menu's commands, in menu order; 0 is a separator.
struct MenuEntry {
    const char16_t* command;
    const char16_t* text; // when the string tables have no "#" + command
};
constexpr MenuEntry kMenuEntries[] = {
    {u"RichEditUndoCmd", u"&Undo"},
    {u"RichEditRedoCmd", u"&Redo"},
    {nullptr, nullptr},
    {u"RichEditCutCmd", u"Cu&t"},
    {u"RichEditCopyCmd", u"&Copy"},
    {u"RichEditPasteCmd", u"&Paste"},
    {nullptr, nullptr},
    {u"RichEditSelectAllCmd", u"Select &All"},
};

LONG EndPosition(HWND edit) {
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    return LONG(SendMessageW(edit, EM_GETTEXTLENGTHEX, WPARAM(&length), 0));
}

void Select(HWND edit, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageW(edit, EM_EXSETSEL, 0, LPARAM(&range));
}

} // namespace

// Fills the control from a parsed mark-up tree, one run at a time at the
// end of the text, each run with the character format of its elements.
class RichEditControl::MarkupWriter {
public:
    static constexpr COLORREF kAutomaticColour = 0xFFFFFFFF;
    MarkupWriter(HWND edit, std::vector<Link>* links, COLORREF textColour)
        : edit_(edit), links_(links), textColour_(textColour) {}

    void write(const XmlNode& parent) {
        for (const XmlNode* node = parent.firstChild(); node; node = node->nextSibling()) {
            if (node->isElement())
                element(*node);
            else
                insert(node->text());
        }
    }

private:
    void element(const XmlNode& node) {
        const String& name = node.name();
        if (name == u"br") {
            insert(u"\r");
            return;
        }
        if (name == u"p" || name == u"li") {
            startLine();
            const LONG start = EndPosition(edit_);
            content(node);
            PARAFORMAT2 format = {};
            format.cbSize = sizeof format;
            if (name == u"li") {
                format.dwMask = PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET;
                format.wNumbering = PFN_BULLET;
                format.dxStartIndent = 180;
                format.dxOffset = 240;
            } else {
                String align;
                (void)node.getAttribute(u"align", &align, u"left");
                format.dwMask = PFM_ALIGNMENT;
                const WORD* alignment = FindWord(kParagraphAligns, align);
                format.wAlignment = alignment ? *alignment : WORD(PFA_LEFT);
            }
            Select(edit_, start, EndPosition(edit_));
            SendMessageW(edit_, EM_SETPARAFORMAT, 0, LPARAM(&format));
            lineWanted_ = true;
            return;
        }
        if (name == u"ul") {
            startLine();
            content(node);
            lineWanted_ = true;
            return;
        }
        if (name == u"b") {
            ++bold_;
            content(node);
            --bold_;
            return;
        }
        if (name == u"a") {
            String target;
            (void)node.getAttribute(u"href", &target);
            const String* outer = target_;
            target_ = &target;
            const LONG start = EndPosition(edit_);
            content(node);
            links_->push_back({start, EndPosition(edit_), target});
            target_ = outer;
            return;
        }
        content(node); // an unknown element adds its text only
    }

    // An element's children, or the text it holds as its own value.
    void content(const XmlNode& node) {
        if (node.firstChild())
            write(node);
        else if (node.kind() != XmlValueKind::None)
            insert(node.text());
    }

    void startLine() {
        lineWanted_ = false;
        if (!atLineStart_)
            insert(u"\r");
    }

    void insert(const String& text) {
        if (text.isEmpty())
            return;
        if (lineWanted_) {
            lineWanted_ = false;
            if (text != u"\r")
                insert(u"\r");
        }
        const LONG end = EndPosition(edit_);
        Select(edit_, end, end);
        CHARFORMAT2W format = {};
        format.cbSize = sizeof format;
        // Links take the control's own link colour, other runs the default one.
        format.dwMask = CFM_BOLD | CFM_LINK | CFM_UNDERLINE | (target_ ? 0 : CFM_COLOR);
        format.dwEffects = (bold_ ? CFE_BOLD : 0) | (target_ ? CFE_LINK | CFE_UNDERLINE : 0);
        if (!target_) {
            if (textColour_ == kAutomaticColour)
                format.dwEffects |= CFE_AUTOCOLOR;
            else
                format.crTextColor = textColour_;
        }
        SendMessageW(edit_, EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
        SendMessageW(edit_, EM_REPLACESEL, FALSE, LPARAM(Wide(text.data())));
        atLineStart_ = text[text.length() - 1] == u'\r';
    }

    HWND edit_;
    std::vector<Link>* links_;
    COLORREF textColour_;
    const String* target_ = nullptr;
    uint32_t bold_ = 0;
    bool lineWanted_ = false;
    bool atLineStart_ = true;
};

RichEditControl::RichEditControl() : EditControl(L"RichEdit20W") {
    setStyle(style() | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL);
}

const wchar_t* RichEditControl::systemClassName() const {
    // The class exists once the library is loaded (from the system folder).
    SystemLibrary(SystemLibraryId::Riched20);
    return EditControl::systemClassName();
}

Result RichEditControl::readAttributes(const XmlNode& element) {
    Result result = readEditAttributes(element);
    if (result != kResultOk)
        return result;
    (void)element.getAttributeBoolean(u"BottomLess", &bottomLess_, false);
    if (bottomLess_)
        setStyle(style() & ~uint32_t(WS_VSCROLL | ES_AUTOVSCROLL));
    result = ReadWord(element, u"TextMode", kRichTextModes, &mode_);
    if (result == kResultInvalidArgument)
        return result;
    detectUrls_ = mode_ != RichTextMode::Markup;
    bool flag = false;
    if (element.getAttributeBoolean(u"AutoDetectURL", &flag) == kResultOk)
        detectUrls_ = flag;
    setDefaultHeight(0, 14);
    String content;
    (void)element.getText(&content);
    (void)ResolveLocalizedText(ResourceCache::Instance(), content.data(), &text_);
    return kResultOk;
}

void RichEditControl::created() {
    HWND edit = handle();
    SendMessageW(edit, EM_SETTEXTMODE,
                 mode_ == RichTextMode::Plain ? TM_PLAINTEXT | TM_MULTILEVELUNDO
                                              : TM_RICHTEXT | TM_MULTILEVELUNDO,
                 0);
    SendMessageW(edit, EM_AUTOURLDETECT, detectUrls_, 0);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(4, 4));
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_LINK | (bottomLess_ ? ENM_REQUESTRESIZE : 0));
    if (hasTextColour()) {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR;
        format.crTextColor = ToColorRef(textColour().resolved());
        SendMessageW(edit, EM_SETCHARFORMAT, SCF_DEFAULT, LPARAM(&format));
    }
    (void)setText(text_);
}

Result RichEditControl::setText(const String& text) {
    if (mode_ == RichTextMode::Markup)
        return setMarkup(text);
    text_ = text;
    links_.clear();
    if (handle()) {
        SetWindowTextW(handle(), Wide(text.data()));
        if (bottomLess_)
            SendMessageW(handle(), EM_REQUESTRESIZE, 0, 0);
    }
    return kResultOk;
}

Result RichEditControl::setMarkup(const String& text) {
    String wrapped = String(u"\xFEFF<?xml version=\"1.0\" encoding=\"utf-16\" standalone=\"yes\"?>"
                            u"<XmlText>") +
                     text + u"</XmlText>";
    XmlDocument document;
    const Result result = document.parse(wrapped.data(), wrapped.length() * 2, u"TextBuffer");
    if (result != kResultOk)
        return result;
    text_ = text;
    HWND edit = handle();
    if (!edit)
        return kResultOk;
    links_.clear();
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    Select(edit, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, FALSE, LPARAM(L""));
    PARAFORMAT2 plain = {};
    plain.cbSize = sizeof plain;
    plain.dwMask = PFM_ALIGNMENT | PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET;
    plain.wAlignment = PFA_LEFT;
    SendMessageW(edit, EM_SETPARAFORMAT, 0, LPARAM(&plain));
    const COLORREF colour =
        hasTextColour() ? ToColorRef(textColour().resolved()) : MarkupWriter::kAutomaticColour;
    MarkupWriter(edit, &links_, colour).write(*document.root());
    Select(edit, 0, 0);
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
    if (bottomLess_)
        SendMessageW(edit, EM_REQUESTRESIZE, 0, 0);
    return kResultOk;
}

String RichEditControl::textRange(LONG start, LONG end) const {
    if (end <= start || end - start > 4096)
        return String();
    std::vector<wchar_t> buffer(size_t(end - start) + 1);
    TEXTRANGEW range = {{start, end}, buffer.data()};
    SendMessageW(handle(), EM_GETTEXTRANGE, 0, LPARAM(&range));
    return String(Units(buffer.data()));
}

void RichEditControl::followLink(const String& target) {
    LinkCommand command;
    if (MainWindow* main = WindowSystem::Instance().mainWindow())
        command.window = main->handle();
    OpenLinkTarget(target, command);
}

bool RichEditControl::handleNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != handle())
        return false;
    if (header.code == EN_LINK) {
        const ENLINK& link = reinterpret_cast<const ENLINK&>(header);
        if (link.msg != WM_LBUTTONUP)
            return false;
        String target;
        for (const Link& known : links_) {
            if (link.chrg.cpMin < known.end && link.chrg.cpMax > known.start)
                target = known.target;
        }
        if (target.isEmpty()) // a detected address: its text is the target
            target = textRange(link.chrg.cpMin, link.chrg.cpMax);
        followLink(target);
        *result = 0;
        return true;
    }
    if (header.code == EN_REQUESTRESIZE && bottomLess_) {
        const REQRESIZE& request = reinterpret_cast<const REQRESIZE&>(header);
        RECT outer = {};
        RECT client = {};
        GetWindowRect(handle(), &outer);
        GetClientRect(handle(), &client);
        const int32_t frame = (outer.bottom - outer.top) - client.bottom;
        const int32_t height = request.rc.bottom - request.rc.top + frame;
        if (height != outer.bottom - outer.top) {
            setEdge(Edge::Height, height);
            layout();
        }
        *result = 0;
        return true;
    }
    return false;
}

bool RichEditControl::runCommand(uint16_t command) {
    struct Action {
        const char16_t* command;
        UINT message;
        WPARAM w;
        LPARAM l;
    };
    const Action actions[] = {
        {u"RichEditUndoCmd", EM_UNDO, 0, 0},   {u"RichEditRedoCmd", EM_REDO, 0, 0},
        {u"RichEditCutCmd", WM_CUT, 0, 0},     {u"RichEditCopyCmd", WM_COPY, 0, 0},
        {u"RichEditPasteCmd", WM_PASTE, 0, 0}, {u"RichEditSelectAllCmd", EM_SETSEL, 0, -1},
    };
    for (const Action& action : actions) {
        if (WindowNameId(action.command) == command) {
            SendMessageW(handle(), action.message, action.w, action.l);
            return true;
        }
    }
    return false;
}

void RichEditControl::showContextMenu(LPARAM position) {
    HWND edit = handle();
    POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (point.x == -1 && point.y == -1) { // from the keyboard: at the caret
        GetCaretPos(&point);
        ClientToScreen(edit, &point);
    }
    CHARRANGE selection = {};
    SendMessageW(edit, EM_EXGETSEL, 0, LPARAM(&selection));
    const bool selected = selection.cpMax > selection.cpMin;
    const bool writable = !(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
    const bool enabled[] = {
        writable && SendMessageW(edit, EM_CANUNDO, 0, 0) != 0,
        writable && SendMessageW(edit, EM_CANREDO, 0, 0) != 0,
        false,
        writable && selected,
        selected,
        writable && SendMessageW(edit, EM_CANPASTE, 0, 0) != 0,
        false,
        EndPosition(edit) > 0,
    };
    MenuHandle menu(CreatePopupMenu());
    if (!menu)
        return;
    for (size_t index = 0; index < sizeof kMenuEntries / sizeof kMenuEntries[0]; ++index) {
        const MenuEntry& entry = kMenuEntries[index];
        if (!entry.command) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        String text;
        if (ResolveLocalizedText(ResourceCache::Instance(), (String(u"#") + entry.command).data(),
                                 &text) != kResultOk)
            text = entry.text;
        AppendMenuW(menu.get(), MF_STRING | (enabled[index] ? 0 : MF_GRAYED),
                    WindowNameId(entry.command), Wide(text.data()));
    }
    const UINT chosen =
        UINT(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x,
                            point.y, 0, edit, nullptr));
    if (chosen)
        runCommand(uint16_t(chosen));
}

bool RichEditControl::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    switch (message) {
    case WM_NOTIFY:
        if (l && handleNotify(*reinterpret_cast<const NMHDR*>(l), result))
            return true;
        break;
    case WM_CONTEXTMENU:
        showContextMenu(l);
        *result = 0;
        return true;
    case WM_COMMAND:
        if (w < 0x20000 && runCommand(LOWORD(w))) {
            *result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return EditControl::handleMessage(message, w, l, result);
}

} // namespace vorn
