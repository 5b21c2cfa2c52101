#include "VornLib/core/CommandLine.h"

#include "VornLib/core/Path.h"

namespace vorn {
namespace {

bool IsSeparator(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

// The program: up to the closing quote, or to the first blank; no escapes.
const char16_t* ReadProgram(const char16_t* cursor, String* program) {
    if (*cursor == u'"') {
        for (++cursor; *cursor && *cursor != u'"'; ++cursor)
            *program += *cursor;
        return *cursor ? cursor + 1 : cursor;
    }
    for (; *cursor && !IsSeparator(*cursor); ++cursor)
        *program += *cursor;
    return cursor;
}

} // namespace

std::vector<String> CommandLine::Tokenize(const char16_t* commandLine) {
    std::vector<String> tokens;
    const char16_t* cursor = commandLine;
    if (!cursor || !*cursor)
        return tokens;
    String token;
    cursor = ReadProgram(cursor, &token);
    tokens.push_back(token);
    token.clear();
    bool inToken = false;
    // 1 inside quotes; quotes in a row count on, three of them giving one
    // literal quote, as Windows reads them.
    uint32_t quotes = 0;
    uint32_t backslashes = 0;
    while (*cursor) {
        const char16_t unit = *cursor;
        if (IsSeparator(unit) && quotes == 0) {
            if (inToken)
                tokens.push_back(token);
            token.clear();
            inToken = false;
            backslashes = 0;
            ++cursor;
            continue;
        }
        inToken = true;
        if (unit == u'\\') {
            token += unit;
            ++backslashes;
            ++cursor;
            continue;
        }
        if (unit != u'"') {
            token += unit;
            backslashes = 0;
            ++cursor;
            continue;
        }
        // Backslashes before a quote halve; an odd one left escapes it.
        token = token.left(token.length() - (backslashes + 1) / 2);
        if (backslashes % 2 == 1)
            token += u'"';
        else
            ++quotes;
        backslashes = 0;
        for (++cursor; *cursor == u'"'; ++cursor) {
            if (++quotes == 3) {
                token += u'"';
                quotes = 0;
            }
        }
        if (quotes == 2)
            quotes = 0;
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
        if (token.isEmpty() || (token[0] != u'-' && token[0] != u'/')) {
            arguments_.push_back(token);
            continue;
        }
        CommandLineSwitch entry;
        // The first ":" or "=": a name holds neither, a value may hold both.
        uint32_t separator = 1;
        while (separator < token.length() && token[separator] != u':' && token[separator] != u'=')
            ++separator;
        entry.name = token.mid(1, separator - 1);
        if (separator < token.length()) {
            entry.value = token.mid(separator + 1);
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

bool CommandLine::addSwitch(const CommandLineSwitch& entry) {
    for (const CommandLineSwitch& given : switches_) {
        if (given.name.compareIgnoringCase(entry.name.data()) == 0)
            return false;
    }
    switches_.push_back(entry);
    return true;
}

String WrittenSwitch(const CommandLineSwitch& given) {
    return u'/' + given.name + (given.hasValue ? String(u':' + given.value) : String());
}

Result CheckSwitchForm(const CommandLineSwitch& given, const SwitchForm* known,
                       const String& accepted, String* message) {
    if (!known) {
        *message = u"Unknown switch \"" + WrittenSwitch(given) + u"\". " + accepted;
        return kResultInvalidArgument;
    }
    if (known->value == SwitchValue::None && given.hasValue) {
        *message = u"The switch /" + String(known->name) + u" takes no value (\"" +
                   WrittenSwitch(given) + u"\").";
        return kResultInvalidArgument;
    }
    const bool needsValue =
        known->value == SwitchValue::Required || known->value == SwitchValue::Boolean;
    if (needsValue && (!given.hasValue || given.value.isEmpty())) {
        *message = u"The switch /" + String(known->name) + u" needs a value" +
                   (known->usage ? String(u", as in " + String(known->usage)) : String()) + u'.';
        return kResultInvalidArgument;
    }
    if (known->value == SwitchValue::Boolean && !(given.value == u"0" || given.value == u"1")) {
        *message = u"The switch /" + String(known->name) + u" takes 0 or 1 (\"" +
                   WrittenSwitch(given) + u"\").";
        return kResultInvalidArgument;
    }
    return kResultOk;
}

Result CheckFileValue(const CommandLineSwitch& given, String* message) {
    if (!given.hasValue || IsPossibleFileName(given.value))
        return kResultOk;
    *message = u"The switch /" + given.name + u" names \"" + given.value +
               u"\", which no file may be called (it holds one of \" * < > ? |).";
    return kResultInvalidArgument;
}

String QuoteArgument(const String& text) {
    String quoted = u"\"";
    uint32_t backslashes = 0;
    for (uint32_t i = 0; i < text.length(); ++i) {
        const char16_t unit = text[i];
        if (unit == u'"') {
            for (uint32_t b = 0; b < backslashes + 1; ++b)
                quoted += u'\\';
        }
        backslashes = unit == u'\\' ? backslashes + 1 : 0;
        quoted += unit;
    }
    for (uint32_t b = 0; b < backslashes; ++b)
        quoted += u'\\';
    return quoted + u'"';
}

String QuoteSwitch(const char16_t* name, const String& value) {
    return String(u" /") + name + u':' + QuoteArgument(value);
}

} // namespace vorn
