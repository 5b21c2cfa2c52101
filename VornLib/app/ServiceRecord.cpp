#include "VornLib/app/ServiceRecord.h"

#include "VornLib/app/DeclarationReader.h"
#include "VornLib/app/RecordFields.h"
#include "VornLib/core/Format.h"

namespace vorn {

String EncodeServiceRecord(const ServiceRecord& record) {
    String text;
    text.append(char16_t(record.action));
    AppendRecordField(&text, record.name);
    if (record.action != ServiceRecord::Action::Changed)
        return text;
    const ServiceConfiguration& previous = record.previous;
    for (const String* field :
         {&previous.commandLine, &previous.displayName, &previous.account, &previous.description})
        AppendRecordField(&text, *field);
    AppendRecordField(&text, Format(u"{0}", {previous.startType}));
    return text;
}

bool DecodeServiceRecord(const String& text, ServiceRecord* out) {
    *out = ServiceRecord();
    if (text.isEmpty() || (text[0] != u'C' && text[0] != u'M' && text[0] != u'S'))
        return false;
    out->action = ServiceRecord::Action(text[0]);
    uint32_t at = 1;
    if (!ReadRecordField(text, &at, &out->name) || out->name.isEmpty())
        return false;
    if (out->action != ServiceRecord::Action::Changed)
        return at == text.length();
    ServiceConfiguration& previous = out->previous;
    String startType;
    uint64_t number = 0;
    for (String* field : {&previous.commandLine, &previous.displayName, &previous.account,
                          &previous.description, &startType}) {
        if (!ReadRecordField(text, &at, field))
            return false;
    }
    if (at != text.length() || !ParseDeclaredNumber(startType, UINT32_MAX, &number))
        return false;
    previous.startType = uint32_t(number);
    return true;
}

} // namespace vorn
