#include "Tools/VornPack/Progress.h"

#include <chrono>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/VornNames.h"

namespace vornpack {

namespace {

constexpr double kBytesPerMegabyte = 1e6;
// Too early for a rate worth showing.
constexpr double kMinimumMeasuredSeconds = 0.5;

String DurationText(double seconds) {
    const uint64_t whole = uint64_t(seconds + 0.5);
    if (whole >= 3600)
        return Format(u"{0}:{1,02}:{2,02}", {whole / 3600, whole / 60 % 60, whole % 60});
    return Format(u"{0}:{1,02}", {whole / 60, whole % 60});
}

} // namespace

OutputMode ChooseOutputMode(bool quiet) {
    if (quiet)
        return OutputMode::Quiet;
    return OutputIsTerminal() ? OutputMode::Terminal : OutputMode::Plain;
}

String ProgressText(const ProgressFigures& figures) {
    String text =
        Format(u"{0}/{1} entries, {2,.1}/{3,.1} MB",
               {figures.entries, figures.totalEntries, double(figures.bytes) / kBytesPerMegabyte,
                double(figures.totalBytes) / kBytesPerMegabyte});
    if (figures.seconds < kMinimumMeasuredSeconds || !figures.bytes)
        return text + u", -- MB/s, -- left";
    const double rate = double(figures.bytes) / figures.seconds;
    const uint64_t remaining =
        figures.totalBytes > figures.bytes ? figures.totalBytes - figures.bytes : 0;
    return text + Format(u", {0,.1} MB/s, {1} left",
                         {rate / kBytesPerMegabyte, DurationText(double(remaining) / rate)});
}

double MonotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

ProgressLine::ProgressLine(OutputMode mode, Clock clock, Show show)
    : mode_(mode), clock_(clock), show_(show ? show : ShowStatus) {}

void ProgressLine::start(uint32_t totalEntries, uint64_t totalBytes) {
    started_ = clock_();
    lastShown_ = -1;
    entryBase_ = 0;
    figures_ = ProgressFigures();
    figures_.totalEntries = totalEntries;
    figures_.totalBytes = totalBytes;
    update();
}

void ProgressLine::within(uint64_t bytes) {
    figures_.bytes = entryBase_ + bytes;
    update();
}

void ProgressLine::entryDone(uint64_t bytes) {
    entryBase_ += bytes;
    figures_.bytes = entryBase_;
    ++figures_.entries;
    update();
}

void ProgressLine::finish(const String& summary) {
    if (mode_ != OutputMode::Quiet)
        PrintLine(summary);
}

void ProgressLine::OnBlock(void* context, uint64_t bytesOfEntry) {
    static_cast<ProgressLine*>(context)->within(bytesOfEntry);
}

void ProgressLine::update() {
    if (mode_ != OutputMode::Terminal)
        return;
    const double now = clock_();
    if (lastShown_ >= 0 && now - lastShown_ < kRedrawInterval)
        return;
    lastShown_ = now;
    figures_.seconds = now - started_;
    show_(ProgressText(figures_));
}

} // namespace vornpack
