#include "codec/KTarvexCommand.h"

#include <gtest/gtest.h>

// Runs in a process of its own: nothing has taken a sequence number before.
TEST(SequenceCounter, FirstCommandOfTheProcessCarriesOne) {
    tarvex::KTarvexCommand first(4, tarvex::kRead);
    tarvex::KTarvexCommand second(4, tarvex::kRead);
    EXPECT_EQ(first.GetHeader().seqnum, 1);
    EXPECT_EQ(second.GetHeader().seqnum, 2);
}
