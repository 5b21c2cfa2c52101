#include "VornLib/gui/DescriptionFailure.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/platform/ApplicationIdentity.h"
#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/DescriptionCheck.h"
#include "VornLib/gui/MessageBox.h"

namespace vorn {
namespace {

// The payload as the program sees it: the pictures and descriptions that
// its resource cache serves.
class PayloadContext : public DescriptionContext {
public:
    bool hasPicture(const String& name) const override {
        ResourceLease<Picture> picture;
        return ResourceCache::Instance().getPicture(name.data(), picture.receive()) == kResultOk;
    }
    bool hasDescription(const char16_t* element, const String& name) const override {
        ResourceLease<XmlNode> found;
        return ResourceCache::Instance().getLocalizedElement(element, name.data(),
                                                             found.receive()) == kResultOk;
    }
};

// The string tables' text, or the framework's own English without them.
String Localized(const char16_t* key, const char16_t* english) {
    String text;
    return ResolveLocalizedText(ResourceCache::Instance(), key, &text) == kResultOk ? text
                                                                                    : english;
}

} // namespace

String DescriptionFailureReason(const XmlNode* element, Result result) {
    if (element) {
        PayloadContext context;
        DescriptionCheck check(&context);
        check.checkDescription(*element);
        if (!check.problems().empty()) {
            const DescriptionProblem& first = check.problems().front();
            return Format(
                Localized(u"#DescriptionMistake", u"Line {0}, column {1} of its description: {2}")
                    .data(),
                {first.position.line, first.position.column, first.text});
        }
    }
    return Format(
        Localized(u"#DescriptionResult", u"Its description could not be read (result {0})").data(),
        {uint32_t(result)});
}

void ShowDescriptionFailure(const char16_t* name, const XmlNode* element, Result result,
                            HWND owner) {
    if (CurrentApplication().quiet)
        return;
    MessageBoxContent content;
    content.icon = MessageIcon::Error;
    content.title = CurrentApplication().name;
    content.header = Format(
        Localized(u"#DescriptionFailed", u"The window \"{0}\" cannot be shown").data(), {name});
    content.body = DescriptionFailureReason(element, result);
    content.present[kButtonOK] = true;
    content.captions[kButtonOK] = Localized(u"#ButtonOK", u"OK");
    (void)ShowMessageBoxContent(content, owner);
}

} // namespace vorn
