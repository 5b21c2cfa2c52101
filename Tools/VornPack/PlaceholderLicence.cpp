#include "Tools/VornPack/PlaceholderLicence.h"

#include <cstring>

#include "Tools/VornPack/DefinitionTemplates.h"
#include "Tools/VornPack/VornNames.h"

namespace vornpack {

namespace {

constexpr char kLicenceTemplatePrefix[] = "VornSetup-License-";
constexpr const char16_t* kLicenceTextId = u"LicenseText";
// Shorter runs ("的许可协议。", "에서 아직") could stand in a real licence.
constexpr uint32_t kShortestSentence = 12;

// The text of the document's "LicenseText" string; empty without one.
String LicenceText(const vorn::XmlDocument& document) {
    const vorn::XmlNode* root = document.root();
    String text;
    for (const vorn::XmlNode* entry = root ? root->firstChild() : nullptr; entry;
         entry = entry->nextSibling()) {
        String id;
        if (entry->name() == u"String" && entry->getAttribute(u"ID", &id) == vorn::kResultOk &&
            id == kLicenceTextId && entry->getText(&text) == vorn::kResultOk)
            return text;
    }
    return String();
}

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\n' || unit == u'\r' || unit == u'\t';
}

// The runs of a template's licence text between its @Fields@ and line breaks.
void AddSentences(const String& text, std::vector<String>* sentences) {
    uint32_t start = 0;
    for (uint32_t i = 0; i <= text.length(); ++i) {
        if (i < text.length() && text[i] != u'@' && text[i] != u'\n')
            continue;
        uint32_t first = start;
        uint32_t end = i;
        while (first < end && IsBlank(text[first]))
            ++first;
        while (end > first && IsBlank(text[end - 1]))
            --end;
        if (end - first >= kShortestSentence)
            sentences->push_back(text.mid(first, end - first));
        start = i + 1;
    }
}

const std::vector<String>& PlaceholderSentences() {
    static const std::vector<String> sentences = [] {
        std::vector<String> found;
        for (size_t i = 0; i < kDefinitionTemplateCount; ++i) {
            const TemplateFile& file = kDefinitionTemplates[i];
            if (!file.filled || std::strncmp(file.name, kLicenceTemplatePrefix,
                                             sizeof kLicenceTemplatePrefix - 1) != 0)
                continue;
            vorn::XmlDocument document;
            if (document.parse(file.bytes, uint32_t(file.size), u"template") == vorn::kResultOk)
                AddSentences(LicenceText(document), &found);
        }
        return found;
    }();
    return sentences;
}

} // namespace

std::vector<String> FindPlaceholderLicences(const std::vector<DefinitionDocument>& documents) {
    std::vector<String> placeholders;
    for (const DefinitionDocument& document : documents) {
        const String text = LicenceText(*document.document);
        for (const String& sentence : PlaceholderSentences()) {
            if (!text.isEmpty() && text.find(sentence.data()) >= 0) {
                placeholders.push_back(document.entryName);
                break;
            }
        }
    }
    return placeholders;
}

} // namespace vornpack
