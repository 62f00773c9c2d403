// The export's worker thread: every worker started runs, also when it ends at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/platform.h"

namespace {

void Finish(void* ran) {
    static_cast<std::atomic<bool>*>(ran)->store(true);
}

// Workers that end before their starter has let go of them are the case that hung: under
// Wine a detached thread of the C++ runtime now and then never ran.
TEST(WorkerThread, EveryStartedWorkerRunsEvenWhenItEndsAtOnce) {
    for (int start = 0; start < 500; ++start) {
        std::atomic<bool> ran{false};
        ASSERT_TRUE(StartWorkerThread(Finish, &ran)) << start;
        // A worker that has not run after a minute never will.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!ran.load() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(ran.load()) << "worker " << start << " never ran";
    }
}

} // namespace
