#include "frontend/state.h"

#include <gtest/gtest.h>

#include <thread>

namespace hf = halberd::frontend;
namespace hs = halberd::search;

TEST(StopThinking, ReturnsAtOnceWhenIdleAndWaitsForTheThreadOtherwise) {
    hs::Session session;
    hf::liveSession = &session;
    hf::thinking = 0;
    hf::stopThinking();
    EXPECT_FALSE(session.stopped());

    // A stand-in for the thinking thread: it ends when the session's stop flag is raised.
    hf::thinking = 1;
    std::thread worker([&session] {
        while (!session.stopped()) std::this_thread::yield();
        hf::thinking = 0;
    });
    hf::stopThinking();
    EXPECT_EQ(hf::thinking.load(), 0);
    EXPECT_TRUE(session.stopped());
    worker.join();
    hf::liveSession = nullptr;
}
