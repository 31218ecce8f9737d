#include "platform/Semaphore.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Semaphore, HoldsAtMostItsMaximum) {
    Semaphore sem(0, 1);
    EXPECT_TRUE(sem.Release());
    EXPECT_FALSE(sem.Release()) << "a second pending wake-up must be refused";
    EXPECT_EQ(sem.Count(), 1u);
    EXPECT_EQ(sem.WaitFor(0), Semaphore::WaitResult::Acquired);
    EXPECT_EQ(sem.WaitFor(0), Semaphore::WaitResult::Timeout);
}

TEST(Semaphore, InitialCountIsClampedToMaximum) {
    Semaphore sem(5, 1);
    EXPECT_EQ(sem.Count(), 1u);
}

TEST(Semaphore, WakesAWaiterOnAnotherThread) {
    Semaphore sem(0, 1);
    std::thread releaser([&] { sem.Release(); });
    // Generous deadline: the release happens at once.
    EXPECT_EQ(sem.WaitFor(5000), Semaphore::WaitResult::Acquired);
    releaser.join();
}
