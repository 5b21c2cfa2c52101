#include "VornLib/app/UpdateCheck.h"

#include "VornLib/core/JsonReader.h"

#ifdef _WIN32
#include <mutex>
#include <thread>

#include "VornLib/app/Preferences.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/UpdateFeedDeclaration.h"
#include "VornLib/core/CommandLine.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/MessageBox.h"
#endif

namespace vorn {

Result ReadUpdateOffer(const uint8_t* bytes, size_t size, UpdateOffer* offer) {
    *offer = UpdateOffer();
    JsonValue root;
    uint64_t code = 0, days = 0;
    const JsonValue* exitCode = nullptr;
    const JsonValue* every = nullptr;
    if (ParseJson(bytes, size, &root) != kResultOk || !(exitCode = root.member(u"exitCode")) ||
        !exitCode->unsignedNumber(&code) || code > INT32_MAX ||
        !(every = root.member(u"checkEveryDays")) || !every->unsignedNumber(&days) || days == 0 ||
        days > 365)
        return kResultMalformed;
    offer->exitCode = int32_t(code);
    offer->checkEveryDays = uint32_t(days);
    (void)root.memberText(u"installedVersion", &offer->installedVersion);
    (void)root.memberText(u"newVersion", &offer->newVersion);
    (void)root.memberText(u"notes", &offer->notesUrl);
    return kResultOk;
}

bool BackgroundCheckDue(const UpdateSchedule& schedule, int32_t today) {
    if (!schedule.started)
        return false;
    return !schedule.checked || today < schedule.lastCheckDay ||
           int64_t(today) - schedule.lastCheckDay >= int64_t(schedule.checkEveryDays);
}

#ifdef _WIN32

namespace {

constexpr char16_t kFirstStartDay[] = u"/User/Global/Updates/FirstStartDay";
constexpr char16_t kLastCheckDay[] = u"/User/Global/Updates/LastCheckDay";
constexpr char16_t kCheckEveryDays[] = u"/User/Global/Updates/CheckEveryDays";
constexpr char16_t kSkippedVersion[] = u"/User/Global/Updates/SkippedVersion";
constexpr uint32_t kCheckMilliseconds = 120000;

int32_t Today() {
    return int32_t(CurrentDateTime() / (86400 * kMicrosecondsPerSecond));
}

UpdateSchedule ReadSchedule() {
    PreferencesStore& preferences = Preferences();
    UpdateSchedule schedule;
    int32_t days = 1;
    schedule.started = preferences.getInt32(kFirstStartDay, &schedule.firstStartDay) == kResultOk;
    schedule.checked = preferences.getInt32(kLastCheckDay, &schedule.lastCheckDay) == kResultOk;
    if (preferences.getInt32(kCheckEveryDays, &days) == kResultOk && days > 0)
        schedule.checkEveryDays = uint32_t(days);
    return schedule;
}

} // namespace

String UpdateProgramPath() {
    const String path = JoinPath(ParentFolder(ExecutablePath()), kUpdateProgramFileName);
    return IsExistingFile(path) ? path : String();
}

Result CheckForUpdate(UpdateOffer* offer) {
    *offer = UpdateOffer();
    const String program = UpdateProgramPath();
    if (program.isEmpty())
        return kResultNotFound;
    const String resultFile = TemporaryFileName();
    if (resultFile.isEmpty())
        return kResultPlatformFailure;
    KernelHandle process;
    const String parameters = u"/Check" + QuoteSwitch(u"ResultFile", resultFile);
    Result result = ShellLaunchStart(program.data(), parameters.data(), &process);
    Result ended = kResultOk;
    if (result == kResultOk)
        result = WaitForLaunched(&process, kCheckMilliseconds, &ended);
    std::string bytes;
    if (result == kResultOk)
        result = ReadWholeFile(resultFile, 64 * 1024, &bytes);
    if (result == kResultOk)
        result =
            ReadUpdateOffer(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), offer);
    (void)DeleteFileEvenIfReadOnly(resultFile);
    return result;
}

struct BackgroundUpdateCheck::State {
    std::mutex lock;
    std::thread worker;
    UpdateOffer offer;
};

BackgroundUpdateCheck::BackgroundUpdateCheck() : state_(new State) {}

BackgroundUpdateCheck::~BackgroundUpdateCheck() {
    if (state_->worker.joinable())
        state_->worker.join();
}

bool BackgroundUpdateCheck::start(HWND window, UINT message, bool now) {
    if (UpdateProgramPath().isEmpty())
        return false;
    if (state_->worker.joinable())
        state_->worker.join(); // the last check has posted its answer
    PreferencesStore& preferences = Preferences();
    const UpdateSchedule schedule = ReadSchedule();
    const int32_t today = Today();
    if (!schedule.started)
        (void)preferences.setInt32(kFirstStartDay, today);
    if (!now && !BackgroundCheckDue(schedule, today))
        return false;
    (void)preferences.setInt32(kLastCheckDay, today);
    State* state = state_.get();
    state->worker = std::thread([state, window, message] {
        UpdateOffer offer;
        if (CheckForUpdate(&offer) != kResultOk)
            offer = UpdateOffer(); // no answer: exitCode -1
        {
            std::lock_guard<std::mutex> guard(state->lock);
            state->offer = offer;
        }
        PostMessageW(window, message, 0, 0);
    });
    return true;
}

UpdateOffer BackgroundUpdateCheck::take() {
    UpdateOffer offer;
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        offer = state_->offer;
        state_->offer = UpdateOffer();
    }
    // The preferences are the window's thread's alone.
    if (offer.exitCode >= 0)
        (void)Preferences().setInt32(kCheckEveryDays, int32_t(offer.checkEveryDays));
    return offer;
}

void AnswerUpdateOffer(const UpdateOffer& offer, bool askedByUser, const String& productName,
                       HWND owner) {
    // A version the user skipped is offered again only when asked for.
    String skipped;
    if (!askedByUser && offer.offered() &&
        Preferences().getText(kSkippedVersion, &skipped) == kResultOk &&
        skipped == offer.newVersion)
        return;
    if (!offer.offered()) {
        if (askedByUser)
            (void)ShowMessageBox(offer.exitCode == 0 ? u"UpToDate" : u"UpdateCheckFailed",
                                 FormatArgument(productName.data()), owner);
        return;
    }
    // The message box takes one text: its header and body, each localized.
    String text =
        Format(Localized(u"#UpdateAvailableHeader").data(), {productName, offer.newVersion}) +
        u"\u00A4" + Format(Localized(u"#UpdateAvailableBody").data(), {offer.installedVersion});
    if (!offer.notesUrl.isEmpty())
        text += u"\n\n" + Format(Localized(u"#UpdateNotesLink").data(), {offer.notesUrl});
    switch (ShowMessageBox(u"UpdateAvailable", FormatArgument(text.data()), owner)) {
    case kButtonYes:
        (void)StartUpdateInstallation();
        break;
    case kButtonNo:
        SkipUpdateVersion(offer.newVersion);
        break;
    default: // later: the next check offers it again
        break;
    }
}

void SkipUpdateVersion(const String& version) {
    (void)Preferences().setText(kSkippedVersion, version.data());
}

Result StartUpdateInstallation() {
    const String program = UpdateProgramPath();
    if (program.isEmpty())
        return kResultNotFound;
    // Written before the update program asks this program to close.
    FlushPreferences();
    KernelHandle process;
    return ShellLaunchStart(program.data(), u"/Apply /Passive", &process);
}

void ForgetUpdateSchedule() {
    PreferencesStore& preferences = Preferences();
    for (const char16_t* path : {kFirstStartDay, kLastCheckDay, kCheckEveryDays, kSkippedVersion})
        (void)preferences.purge(path);
}

#endif

} // namespace vorn
