// Progress of the long commands (pack, setup). On a terminal one status line
// shows entries and bytes done, the rate and the time left, rewritten at most
// four times a second; elsewhere (a CI log, a pipe) only the final summary is
// printed, and with --quiet not even that: only errors.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vornpack {

enum class OutputMode { Terminal, Plain, Quiet };

// Terminal when standard output is one, unless `quiet`.
OutputMode ChooseOutputMode(bool quiet);

struct ProgressFigures {
    uint32_t entries = 0;
    uint32_t totalEntries = 0;
    uint64_t bytes = 0;
    uint64_t totalBytes = 0;
    double seconds = 0; // since the start
};

// "12/40 entries, 35.2/120.0 MB, 48.1 MB/s, 0:02 left"; the rate and the time
// left read "--" until there is something to measure.
vorn::String ProgressText(const ProgressFigures& figures);

double MonotonicSeconds();

class ProgressLine {
public:
    using Clock = double (*)();
    using Show = void (*)(const vorn::String& text);
    static constexpr double kRedrawInterval = 0.25;

    explicit ProgressLine(OutputMode mode, Clock clock = MonotonicSeconds, Show show = nullptr);

    void start(uint32_t totalEntries, uint64_t totalBytes);
    // `bytes` of the current entry are done.
    void within(uint64_t bytes);
    // The current entry is done with its `bytes`.
    void entryDone(uint64_t bytes);
    // Prints the summary line (taking the status line's place) unless quiet.
    void finish(const vorn::String& summary);

    // For the encoder's per-block report: `context` is the ProgressLine.
    static void OnBlock(void* context, uint64_t bytesOfEntry);

private:
    void update();

    OutputMode mode_;
    Clock clock_;
    Show show_;
    double started_ = 0;
    double lastShown_ = -1;
    uint64_t entryBase_ = 0;
    ProgressFigures figures_;
};

} // namespace vornpack
