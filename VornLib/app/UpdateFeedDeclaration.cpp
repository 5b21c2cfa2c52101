#include "VornLib/app/UpdateFeedDeclaration.h"

#include "VornLib/core/Base64.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/WebAddress.h"

namespace vorn {

// Only what the vendor means is read: no default taken for a typo.
Result ReadUpdateFeed(const XmlNode& settings, UpdateFeedDeclaration* out, String* problem) {
    *out = UpdateFeedDeclaration();
    problem->clear();
    const XmlNode* element = settings.find((u"/" + String(kUpdateFeedElement)).data());
    if (!element)
        return kResultOk;
    UpdateFeedDeclaration feed;
    feed.declared = true;
    (void)element->getAttribute(u"Url", &feed.url);
    if (!IsUpdateAddress(feed.url)) {
        *problem = Format(u"UpdateFeed Url \"{0}\" is not an https:// address", {feed.url});
        return kResultInvalidArgument;
    }
    String key;
    (void)element->getAttribute(u"PublicKey", &key);
    if (!DecodeBase64(key, &feed.publicKey) || feed.publicKey.size() != kUpdatePublicKeySize) {
        *problem = Format(u"UpdateFeed PublicKey \"{0}\" is not a public key as VornPack keygen "
                          u"writes it (the text of its .public file)",
                          {key});
        return kResultInvalidArgument;
    }
    String days;
    if (element->getAttribute(u"CheckEveryDays", &days) == kResultOk) {
        bool digits = !days.isEmpty() && days.length() <= 3;
        for (uint32_t i = 0; i < days.length(); ++i)
            digits = digits && days[i] >= u'0' && days[i] <= u'9';
        const uint32_t value = digits ? ReadUInt32(days.data()) : 0;
        if (value < 1 || value > 365) {
            *problem = Format(u"UpdateFeed CheckEveryDays \"{0}\" is not a number of days from 1 "
                              u"to 365",
                              {days});
            return kResultInvalidArgument;
        }
        feed.checkEveryDays = value;
    }
    *out = feed;
    return kResultOk;
}

} // namespace vorn
