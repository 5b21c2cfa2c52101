#include "VornLib/core/CommandLine.h"

namespace vorn {
namespace {

// One leading and one trailing double quote go.
String Unquote(const String& text) {
    uint32_t start = 0;
    uint32_t end = text.length();
    if (end > start && text[start] == u'"')
        ++start;
    if (end > start && text[end - 1] == u'"')
        --end;
    return text.mid(start, end - start);
}

} // namespace

std::vector<String> CommandLine::Tokenize(const char16_t* commandLine) {
    std::vector<String> tokens;
    String token;
    bool quoted = false;
    bool inToken = false;
    for (const char16_t* cursor = commandLine; cursor && *cursor; ++cursor) {
        const char16_t unit = *cursor;
        if (!quoted && IsWhitespace(unit)) {
            if (inToken)
                tokens.push_back(token);
            token.clear();
            inToken = false;
            continue;
        }
        if (unit == u'"')
            quoted = !quoted;
        token += unit;
        inToken = true;
    }
    if (inToken)
        tokens.push_back(token);
    return tokens;
}

void CommandLine::parse(const char16_t* commandLine) {
    switches_.clear();
    arguments_.clear();
    const std::vector<String> tokens = Tokenize(commandLine);
    for (size_t i = 1; i < tokens.size(); ++i) {
        const String& token = tokens[i];
        if (token[0] != u'-' && token[0] != u'/') {
            arguments_.push_back(Unquote(token));
            continue;
        }
        CommandLineSwitch entry;
        int32_t separator = token.find(u'=');
        if (separator < 0)
            separator = token.find(u':');
        if (separator < 0) {
            entry.name = token.mid(1);
        } else {
            entry.name = token.mid(1, uint32_t(separator) - 1);
            entry.value = Unquote(token.mid(uint32_t(separator) + 1));
            entry.hasValue = true;
        }
        switches_.push_back(entry);
    }
}

CommandLineSwitch* CommandLine::find(const char16_t* name) {
    for (CommandLineSwitch& entry : switches_) {
        if (entry.name.compareIgnoringCase(name) == 0) {
            entry.used = true;
            return &entry;
        }
    }
    return nullptr;
}

bool CommandLine::hasSwitch(const char16_t* name) {
    return find(name) != nullptr;
}

bool CommandLine::switchValue(const char16_t* name, String* value) {
    if (value)
        value->clear();
    CommandLineSwitch* entry = find(name);
    if (!entry || !entry->hasValue)
        return false;
    if (value)
        *value = entry->value;
    return true;
}

} // namespace vorn
