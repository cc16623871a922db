#include "frontend/state.h"

#include <gtest/gtest.h>

#include <thread>

namespace hf = halberd::frontend;
namespace hs = halberd::search;

TEST(StopThinking, ReturnsAtOnceWhenIdleAndWaitsForTheThreadOtherwise) {
    hf::thinking = 0;
    hs::stopRequest = 0;
    hf::stopThinking();
    EXPECT_EQ(hs::stopRequest.load(), 0);

    // A stand-in for the thinking thread: it ends when the search's stop flag is raised.
    hf::thinking = 1;
    std::thread worker([] {
        while (hs::stopRequest.load() == 0) std::this_thread::yield();
        hf::thinking = 0;
    });
    hf::stopThinking();
    EXPECT_EQ(hf::thinking.load(), 0);
    EXPECT_EQ(hs::stopRequest.load(), 1);
    worker.join();
    hs::stopRequest = 0;
}
