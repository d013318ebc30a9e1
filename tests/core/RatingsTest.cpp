// ZAN_RATING.DAT, the agent's nominal ratings that give the meters their full
// scale: taken whole or not at all.
#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "file.h"

namespace {

using namespace corvanta_test;

class RatingsTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        PtUPSSts.RatingVolt = 1;
        PtUPSSts.RatingCurrent = 2;
        PtUPSSts.RatingBattVolt = 3;
    }
};

TEST_F(RatingsTest, TakesThreeNumbersInOrder) {
    struct Case {
        const char* text;
        short volt, current, batt;
    };
    const Case cases[] = {
        {"230\n12\n24\n", 230, 12, 24},
        {"120\r\n8\r\n48\r\n", 120, 8, 48},
        {"-5\n0\n32767\n", -5, 0, 32767},
    };
    for (const Case& c : cases) {
        WriteFileRaw(Path(RatingFileName), c.text);
        EXPECT_TRUE(LoadRatings()) << c.text;
        EXPECT_EQ(PtUPSSts.RatingVolt, c.volt);
        EXPECT_EQ(PtUPSSts.RatingCurrent, c.current);
        EXPECT_EQ(PtUPSSts.RatingBattVolt, c.batt);
    }
}

TEST_F(RatingsTest, AMissingOrMalformedFileChangesNothing) {
    EXPECT_FALSE(LoadRatings());
    const char* bad[] = {"",      "230\n12\n", "230\nabc\n24\n", "230\n12\n24x\n", "70000\n1\n2\n",
                         "\n\n\n"};
    for (const char* text : bad) {
        WriteFileRaw(Path(RatingFileName), text);
        EXPECT_FALSE(LoadRatings()) << '"' << text << '"';
        EXPECT_EQ(PtUPSSts.RatingVolt, 1);
        EXPECT_EQ(PtUPSSts.RatingCurrent, 2);
        EXPECT_EQ(PtUPSSts.RatingBattVolt, 3);
    }
}

} // namespace
