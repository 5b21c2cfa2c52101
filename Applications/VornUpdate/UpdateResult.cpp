#include "Applications/VornUpdate/UpdateResult.h"

#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/JsonText.h"

namespace vornupdate {

using namespace vorn;

namespace {

String TextOrNull(const String& text) {
    return text.isEmpty() ? String(u"null") : JsonString(text);
}

} // namespace

String UpdateResultDocument(const UpdateOutcome& outcome) {
    return u"{\n" +
           Format(u"  \"exitCode\": {0},\n  \"outcome\": {1},\n  \"installedVersion\": {2},\n"
                  u"  \"newVersion\": {3},\n  \"notes\": {4},\n  \"checkEveryDays\": {5}\n",
                  {outcome.exitCode,
                   JsonString(FindExitCode(ExitCodeProgram::Update, outcome.exitCode).name),
                   TextOrNull(outcome.installedVersion), TextOrNull(outcome.newVersion),
                   TextOrNull(outcome.notesUrl), outcome.checkEveryDays}) +
           u"}\n";
}

} // namespace vornupdate
