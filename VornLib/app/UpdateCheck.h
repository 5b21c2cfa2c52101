// A VornLib program's own updates, through its installation's update program
// (VornUpdate.exe beside the program, which every installation of a product
// with an UpdateFeed carries): the program asks it on a worker thread, reads
// its result file (what "/Check /ResultFile" writes) and, when the user
// chooses to install, starts "/Apply /Passive", which asks the program to
// close and starts it again once the new version is in place.
//
// In the background it asks never at the program's first start, then at most
// every CheckEveryDays days (the feed declaration's, which the result file
// repeats). The preferences keep the schedule under "/User/Global/Updates":
// "FirstStartDay", "LastCheckDay" (days since 1970-01-01, UTC),
// "CheckEveryDays" and "SkippedVersion", a version the user chose to skip,
// which the background check then does not offer again; a removal (not an
// update) forgets them.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

struct UpdateOffer {
    int32_t exitCode = -1; // the update program's; 60: newVersion is offered
    String installedVersion;
    String newVersion; // empty when none is offered
    String notesUrl;   // empty when the feed names none
    uint32_t checkEveryDays = 1;

    bool offered() const { return !newVersion.isEmpty(); }
};

// The update program's result file: 0, or 33 for anything else.
Result ReadUpdateOffer(const uint8_t* bytes, size_t size, UpdateOffer* offer);

struct UpdateSchedule {
    bool started = false; // the program started before, on firstStartDay
    int32_t firstStartDay = 0;
    bool checked = false; // a check ran, on lastCheckDay
    int32_t lastCheckDay = 0;
    uint32_t checkEveryDays = 1;
};

// Whether a background check is due on `today`.
bool BackgroundCheckDue(const UpdateSchedule& schedule, int32_t today);

} // namespace vorn

#ifdef _WIN32
#include <memory>

#include "VornLib/core/Win32.h"

namespace vorn {

// The update program beside this program; empty when there is none.
String UpdateProgramPath();

// Runs the check now and waits for it (at most two minutes): 0 with the
// offer (its exitCode the update program's), 29 without an update program,
// else why the program could not be run or read.
Result CheckForUpdate(UpdateOffer* offer);

// The background check of a program's start: when one is due (the schedule
// read and written in the preferences), it runs on a thread of its own and,
// once it has the update program's answer, posts `message` to `window`; the
// window then takes the offer. Nothing when the program has no update
// program.
class BackgroundUpdateCheck {
public:
    BackgroundUpdateCheck();
    ~BackgroundUpdateCheck(); // waits for the thread
    BackgroundUpdateCheck(const BackgroundUpdateCheck&) = delete;
    BackgroundUpdateCheck& operator=(const BackgroundUpdateCheck&) = delete;

    // True when a check was started: when one is due, or with `now` (the
    // user's "Check for updates"), always.
    bool start(HWND window, UINT message, bool now);
    // The offer the posted message announced.
    UpdateOffer take();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// What the program tells its user of a check's answer, in the framework's
// message boxes: "UpdateAvailable" (the version, the release notes link;
// Install, Skip this version, Remind me later) for an offer; for a check the
// user asked for, "UpToDate" or "UpdateCheckFailed" otherwise. A version the
// user skipped is offered again only when the user asks. Install starts
// "/Apply /Passive" (StartUpdateInstallation); Skip records the version.
void AnswerUpdateOffer(const UpdateOffer& offer, bool askedByUser, const String& productName,
                       HWND owner);
void SkipUpdateVersion(const String& version);
// Starts "/Apply /Passive"; 0 once started.
Result StartUpdateInstallation();
// Forgets the schedule (a removal).
void ForgetUpdateSchedule();

} // namespace vorn
#endif
