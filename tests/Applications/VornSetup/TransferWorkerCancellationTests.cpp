// Cancelling the installer's file transfer: the question is asked from
// another thread while the copy runs, answered Yes or No, early or late.
#include "TransferWorkerTestSupport.h"

#include "VornLib/core/Win32.h"

#include <functional>

#include "VornLib/core/Win32Handles.h"

namespace vornsetup::transfertests {
namespace {

// A Win32 thread running `body`, joined when it goes.
class Thread {
public:
    explicit Thread(std::function<void()> body) : body_(std::move(body)) {
        handle_.reset(CreateThread(nullptr, 0, &Thread::Run, this, 0, nullptr));
        EXPECT_TRUE(handle_.isValid());
    }
    ~Thread() { join(); }
    void join() {
        if (handle_.isValid())
            WaitForSingleObject(handle_.get(), INFINITE);
        handle_.reset();
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<Thread*>(self)->body_();
        return 0;
    }
    std::function<void()> body_;
    vorn::KernelHandle handle_;
};

vorn::KernelHandle Event() {
    return vorn::KernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

// The confirmation question, answered by the test.
struct Answer {
    TransferWorker* worker = nullptr;
    bool yes = false;
    int asked = 0;
    TransferState stateWhileAsking = TransferState::Idle;
    HANDLE entered = nullptr; // set when the question is shown
    DWORD pauseMs = 0;        // how long the user thinks
};

bool Confirm(void* context) {
    Answer& answer = *static_cast<Answer*>(context);
    ++answer.asked;
    answer.stateWhileAsking = answer.worker->state();
    if (answer.entered)
        SetEvent(answer.entered);
    if (answer.pauseMs)
        Sleep(answer.pauseMs);
    return answer.yes;
}

TEST_F(TransferWorkerTest, CancelFromIdleClosesAtOnce) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    Answer answer;
    answer.worker = &worker;
    EXPECT_TRUE(worker.requestCancel(&Confirm, &answer));
    EXPECT_EQ(0, answer.asked) << "nothing to confirm before the copy";
    EXPECT_EQ(TransferState::Closed, worker.state());
    EXPECT_TRUE(worker.requestCancel(&Confirm, &answer)) << "closed stays closable";
    // A closed worker copies nothing.
    EXPECT_EQ(8u, worker.copyFiles());
    EXPECT_FALSE(fs::exists(InstallFolder(manifest)));
}

TEST_F(TransferWorkerTest, CancelAnsweredNoKeepsCopying) {
    InstallManifest manifest = Manifest(scratch, {"Big.bin", "Readme.txt"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    Answer answer;
    answer.worker = &worker;
    answer.yes = false;
    bool pageMayClose = true;
    progress.onPosition = [&](double done) {
        if (done != 4.0 * kMiB)
            return;
        Thread user([&] { pageMayClose = worker.requestCancel(&Confirm, &answer); });
    };
    EXPECT_EQ(0u, Install(worker));
    EXPECT_EQ(TransferState::Running, worker.state());
    EXPECT_FALSE(pageMayClose);
    EXPECT_EQ(1, answer.asked);
    EXPECT_EQ(TransferState::ConfirmingCancel, answer.stateWhileAsking);
    EXPECT_EQ((std::vector<double>{0, 4.0 * kMiB, 8.0 * kMiB, 10.0 * kMiB, 10.0 * kMiB + 5000}),
              progress.positions);
    EXPECT_TRUE(vorn::ReadWholeFile(InstallFolder(manifest) / "Readme.txt") ==
                Contents("Readme.txt"));
}

TEST_F(TransferWorkerTest, CancelAnsweredYesStopsAfterTheChunk) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Big.bin", "Data/Config.xml"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    Answer answer;
    answer.worker = &worker;
    answer.yes = true;
    bool pageMayClose = true;
    TransferState stateAfterAnswer = TransferState::Idle;
    progress.onPosition = [&](double done) {
        if (done != 5000 + 4.0 * kMiB)
            return;
        Thread user([&] {
            pageMayClose = worker.requestCancel(&Confirm, &answer);
            stateAfterAnswer = worker.state();
        });
    };
    EXPECT_EQ(8u, worker.copyFiles());
    EXPECT_EQ(TransferState::Cancelled, worker.state());
    EXPECT_FALSE(pageMayClose) << "the page waits for the worker";
    EXPECT_EQ(TransferState::CancelRequested, stateAfterAnswer);
    EXPECT_EQ(1, answer.asked);
    // No chunk after the one during which the user answered.
    EXPECT_EQ((std::vector<double>{0, 5000, 5000 + 4.0 * kMiB}), progress.positions);
    EXPECT_FALSE(manifest.files[1].copied) << "stopped before it was complete";
    EXPECT_FALSE(manifest.files[2].copied);
    const fs::path folder = InstallFolder(manifest);
    EXPECT_FALSE(fs::exists(folder / "Big.bin"));
    EXPECT_FALSE(fs::exists(PartialFolder(folder) / "Big.bin")) << "the unfinished file goes";
    EXPECT_FALSE(fs::exists(folder / "Data"));
    EXPECT_FALSE(worker.requestCancel(&Confirm, &answer)) << "still cancelling";
    EXPECT_EQ(1, answer.asked);

    worker.rollBack();
    EXPECT_FALSE(fs::exists(folder / "Readme.txt"));
    EXPECT_FALSE(fs::exists(folder / "Big.bin"));
    EXPECT_FALSE(fs::exists(scratch.path() / "Vorn Test Co"));
}

// The user is still reading the question when the last chunk is written: the
// worker waits for the answer, and a Yes still cancels.
TEST_F(TransferWorkerTest, CancelAnsweredYesAfterTheLastChunkStillCancels) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Big.bin"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    vorn::KernelHandle entered = Event();
    ASSERT_TRUE(entered.isValid());
    Answer answer;
    answer.worker = &worker;
    answer.yes = true;
    answer.entered = entered.get();
    answer.pauseMs = 200;
    std::unique_ptr<Thread> user;
    progress.onPosition = [&](double done) {
        if (done != 5000 + 10.0 * kMiB)
            return;
        user = std::make_unique<Thread>([&] { worker.requestCancel(&Confirm, &answer); });
        // The last chunk is done once the question is up.
        WaitForSingleObject(entered.get(), INFINITE);
    };
    EXPECT_EQ(8u, worker.copyFiles());
    user.reset();
    EXPECT_EQ(TransferState::Cancelled, worker.state());
    EXPECT_EQ(1, answer.asked);
    EXPECT_TRUE(manifest.files[1].copied);
    worker.rollBack();
    EXPECT_FALSE(fs::exists(InstallFolder(manifest)));
}

// The copy fails while the user still reads the question: the worker rolls
// back and ends, and the late answer leaves it ended.
TEST_F(TransferWorkerTest, ALateAnswerDoesNotReviveAnEndedWorker) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Damaged.bin"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    vorn::KernelHandle entered = Event();
    ASSERT_TRUE(entered.isValid());
    struct Late {
        TransferWorker* worker;
        HANDLE entered;
        TransferState stateWhileAsking;
    } late{&worker, entered.get(), TransferState::Idle};
    auto confirm = [](void* context) {
        Late& late = *static_cast<Late*>(context);
        late.stateWhileAsking = late.worker->state();
        SetEvent(late.entered);
        // The user answers only after the worker has ended.
        for (int i = 0; i < 10000 && late.worker->state() != TransferState::Closed; ++i)
            Sleep(1);
        return true;
    };
    bool pageMayClose = true;
    TransferState stateAfterAnswer = TransferState::Idle;
    std::unique_ptr<Thread> user;
    progress.onPosition = [&](double done) {
        if (done != 5000)
            return;
        user = std::make_unique<Thread>([&] {
            pageMayClose = worker.requestCancel(confirm, &late);
            stateAfterAnswer = worker.state();
        });
        // The question is up before the damaged file is read.
        WaitForSingleObject(entered.get(), INFINITE);
    };
    ASSERT_EQ(0u, worker.start());
    worker.wait();
    user.reset();
    EXPECT_NE(0u, worker.result());
    EXPECT_NE(8u, worker.result()) << "a failure, not a cancel";
    EXPECT_EQ(TransferState::ConfirmingCancel, late.stateWhileAsking);
    EXPECT_EQ(TransferState::Closed, stateAfterAnswer);
    EXPECT_EQ(TransferState::Closed, worker.state());
    EXPECT_FALSE(pageMayClose);
    EXPECT_TRUE(worker.requestCancel(confirm, &late)) << "an ended worker lets the page close";
    EXPECT_FALSE(fs::exists(InstallFolder(manifest))) << "rolled back";
}

} // namespace
} // namespace vornsetup::transfertests
