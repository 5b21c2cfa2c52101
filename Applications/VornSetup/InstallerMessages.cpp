#include "Applications/VornSetup/InstallerMessages.h"

namespace vornsetup {

using namespace vorn;

namespace {

const Outcome kOutcomes[] = {
    {kResultOk, kShowSuccessPage, u"SuccessPage", u"Success", nullptr},
    {kResultCancelled, kShowCanceledPage, u"CanceledPage", u"Canceled", nullptr},
    // The general text would send the user looking for disk space.
    {kResultCrcError, kShowFailurePage, u"FailurePage", u"Failure", u"#DamagedSetupMessage"},
    {kResultFailed, kShowFailurePage, u"FailurePage", u"Failure", u"#FailureMessage"},
};
constexpr size_t kOutcomeCount = sizeof kOutcomes / sizeof *kOutcomes;

} // namespace

const Outcome& OutcomeOf(Result result) {
    for (const Outcome& outcome : kOutcomes) {
        if (outcome.result == result)
            return outcome;
    }
    return kOutcomes[kOutcomeCount - 1];
}

const Outcome* OutcomeOf(WPARAM command, Result result) {
    const Outcome* general = nullptr;
    for (const Outcome& outcome : kOutcomes) {
        if (outcome.command != command)
            continue;
        if (outcome.result == result)
            return &outcome;
        general = &outcome;
    }
    return general;
}

} // namespace vornsetup
