// The parts of tarvexctl whose faults the program's own tests would only show as garbled output:
// the JSON writer and the progress lines with their time left.
#include "Json.h"
#include "Output.h"
#include "Progress.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarvexctl;

TEST(Json, EscapesTextKeepsKeyOrderAndWritesNoNumberJsonCannotRead) {
    Json document = Json::Object()
                        .Set("name", "say \"hi\"\\\n\t\x01")
                        .Set("rate", 0.1f)
                        .Set("broken", NAN)
                        .Set("list", Json::Array().Push(1).Push(true).Push(Json()))
                        .Set("empty", Json::Object());
    document.Set("rate", 921600); // replaced in place
    EXPECT_EQ(document.Dump(false),
              R"({"name":"say \"hi\"\\\n\t\u0001","rate":921600,"broken":null,)"
              R"("list":[1,true,null],"empty":{}})");
    EXPECT_EQ(Json::Object().Set("a", Json::Array().Push(2.5)).Dump(true),
              "{\n  \"a\": [\n    2.5\n  ]\n}");
}

TEST(Progress, OffATerminalALineAtEachTenthWithTheTimeLeft) {
    tarvex::ManualClock clock;
    testing::internal::CaptureStderr();
    {
        Progress progress(Output(false, false), clock, "sweep");
        clock.Advance(1000);
        progress.Update(5);
        progress.Update(9.9); // the same tenth: no line
        clock.Advance(1000);
        progress.Update(25, "run 1 of 2");
        progress.Update(140);
        Progress quiet(Output(false, true), clock, "quiet");
        quiet.Update(50);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "sweep: 5% (19 s left)\nsweep: 25% (6 s left) run 1 of 2\nsweep: 100% (done)\n");
}

TEST(Progress, DurationsReadAsAPersonSaysThem) {
    EXPECT_EQ(Duration(400), "0 s");
    EXPECT_EQ(Duration(59499), "59 s");
    EXPECT_EQ(Duration(61000), "1 min 1 s");
    EXPECT_EQ(Duration(3725000), "1 h 2 min");
}
