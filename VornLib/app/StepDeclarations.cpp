#include "VornLib/app/StepDeclarations.h"

#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/DeclarationReader.h"
#include "VornLib/app/RecordFields.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vorn {

const char16_t* const kStepTimeNames[uint32_t(StepTime::Count)] = {
    u"AfterInstall", u"BeforeRemoval", u"AfterUpdate"};

namespace {

constexpr char16_t kStepElement[] = u"Step";
constexpr char16_t kProgramPrefix[] = u"{InstallFolder}\\";
constexpr uint64_t kMaxTimeoutSeconds = 86400;

String CodesText(const std::vector<uint32_t>& codes) {
    String text;
    for (const uint32_t code : codes)
        text.append(Format(text.isEmpty() ? u"{0}" : u",{0}", {code}));
    return text;
}

class StepReader : public DeclarationReader {
public:
    explicit StepReader(String* problem) : DeclarationReader(problem) {}

    Result step(const XmlNode& element, StepDeclaration* step) {
        step->position = element.position();
        (void)element.getAttribute(kComponentAttribute, &step->component, u"");
        String when;
        Result result = attribute(element, u"When", &when);
        if (result == kResultOk)
            result = attribute(element, u"Program", &step->program);
        if (result != kResultOk)
            return result;
        uint32_t index = 0;
        while (index < uint32_t(StepTime::Count) && when != kStepTimeNames[index])
            ++index;
        if (index == uint32_t(StepTime::Count))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"When \"{0}\" is none of AfterInstall, BeforeRemoval, AfterUpdate",
                               {when}));
        step->when = StepTime(index);
        const String prefix = step->program.left(TextLength(kProgramPrefix));
        if (prefix != kProgramPrefix ||
            !IsRelativeInside(step->program.mid(TextLength(kProgramPrefix))))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"Program \"{0}\" is not a program of the installation's own, "
                               u"\"{1}…\" without \".\" or \"..\" parts",
                               {step->program, kProgramPrefix}));
        (void)element.getAttribute(u"Arguments", &step->arguments, u"");
        (void)element.getAttribute(u"UndoArguments", &step->undoArguments, u"");
        if (!step->undoArguments.isEmpty() && step->when == StepTime::BeforeRemoval)
            return fail(kResultInvalidArgument, element.position(),
                        u"a BeforeRemoval step has no UndoArguments: nothing undoes a removal");
        uint64_t timeout = 0;
        if ((result = boolean(element, u"Hidden", true, &step->hidden)) != kResultOk ||
            (result = number(element, u"TimeoutSeconds", 1, kMaxTimeoutSeconds, 300, &timeout)) !=
                kResultOk)
            return result;
        step->timeoutSeconds = uint32_t(timeout);
        String codes = u"0";
        (void)element.getAttribute(u"SuccessCodes", &codes, u"0");
        if (!ParseExitCodes(codes, &step->successCodes))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"SuccessCodes \"{0}\" is not a list of exit codes such as "
                               u"\"0,3010\"",
                               {codes}));
        for (const String* text : {&step->program, &step->arguments, &step->undoArguments}) {
            if ((result = placeholders(element, *text)) != kResultOk)
                return result;
        }
        return kResultOk;
    }
};

} // namespace

Result ReadStepDeclarations(const XmlNode& settings, std::vector<StepDeclaration>* out,
                            String* problem) {
    out->clear();
    problem->clear();
    StepReader reader(problem);
    for (const XmlNode* list = settings.firstChild(); list; list = list->nextSibling()) {
        if (list->name() != kRunElement)
            continue;
        for (const XmlNode* item = list->firstChild(); item; item = item->nextSibling()) {
            if (!item->isElement() || item->name() != kStepElement)
                continue;
            StepDeclaration step;
            const Result result = reader.step(*item, &step);
            if (result != kResultOk) {
                out->clear();
                return result;
            }
            out->push_back(step);
        }
    }
    return kResultOk;
}

bool StepCommand::succeeded(uint32_t exitCode) const {
    for (const uint32_t code : successCodes) {
        if (code == exitCode)
            return true;
    }
    return false;
}

String StepCommand::commandLine() const {
    String line = u"\"" + program + u"\"";
    if (!arguments.isEmpty())
        line.append(u" " + arguments);
    return line;
}

Result CommandOfStep(const StepDeclaration& step, const PlaceholderValues& values, bool undo,
                     StepCommand* out) {
    *out = StepCommand();
    out->hidden = step.hidden;
    out->timeoutSeconds = step.timeoutSeconds;
    out->successCodes = step.successCodes;
    Result result = ExpandPlaceholders(step.program, values, &out->program);
    if (result == kResultOk)
        result =
            ExpandPlaceholders(undo ? step.undoArguments : step.arguments, values, &out->arguments);
    return result;
}

String EncodeStepCommand(const StepCommand& command) {
    String text;
    AppendRecordField(&text, command.program);
    AppendRecordField(&text, command.arguments);
    AppendRecordField(&text, command.hidden ? u"hidden" : u"shown");
    AppendRecordField(&text, Format(u"{0}", {command.timeoutSeconds}));
    AppendRecordField(&text, CodesText(command.successCodes));
    return text;
}

bool DecodeStepCommand(const String& text, StepCommand* out) {
    *out = StepCommand();
    String shown;
    String timeout;
    String codes;
    uint32_t at = 0;
    if (!ReadRecordField(text, &at, &out->program) ||
        !ReadRecordField(text, &at, &out->arguments) || !ReadRecordField(text, &at, &shown) ||
        !ReadRecordField(text, &at, &timeout) || !ReadRecordField(text, &at, &codes) ||
        at != text.length())
        return false;
    uint64_t seconds = 0;
    if ((shown != u"hidden" && shown != u"shown") ||
        !ParseDeclaredNumber(timeout, kMaxTimeoutSeconds, &seconds) || seconds == 0 ||
        !ParseExitCodes(codes, &out->successCodes))
        return false;
    out->hidden = shown == u"hidden";
    out->timeoutSeconds = uint32_t(seconds);
    // Only a full path: never one the search order would choose.
    return out->program.length() > 3 && out->program[1] == u':' && out->program[2] == u'\\' &&
           IsValidFolderPath(out->program);
}

} // namespace vorn
