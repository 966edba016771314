// Records, contours and headers as strokes on the recording surface.
#include "draw/draw_records.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/number_text.h"
#include "model/record_text.h"
#include "draw/recording_surface.h"

namespace zorvan {
namespace {

constexpr double kPI = 3.141592654;

// The angle in degrees of the end of each "lineto" stroke about the origin, and their number.
std::vector<double> TraceAngles(const RecordingSurface& surface) {
    std::vector<double> angles;
    for (const std::string& line : surface.Log()) {
        if (!line.starts_with("lineto ")) continue;
        const auto f = SplitFields(line);
        double a = std::atan2(LenientParse(f[2]), LenientParse(f[1])) * 180 / M_PI;
        if (a < 0) a += 360;
        angles.push_back(a);
    }
    return angles;
}

// Total turning of the trace, in degrees, following its strokes.
double SweptDegrees(const RecordingSurface& surface) {
    const std::vector<double> angles = TraceAngles(surface);
    double swept = 0;
    const auto& log = surface.Log();
    const auto move = SplitFields(log[0]);
    double previous = std::atan2(LenientParse(move[2]), LenientParse(move[1])) * 180 / M_PI;
    for (const double a : angles) {
        double d = a - previous;
        while (d > 180) d -= 360;
        while (d < -180) d += 360;
        swept += d;
        previous = a;
    }
    return swept;
}

TEST(DrawRecord, ArcAcrossZeroDegreesGoesTheWayOfItsSense) {
    RecordingSurface ccw;
    DrawRecord(ccw, kPI, "0 0 0 1 350 10 + 0 0 0 0 A", kBlue, false, 3);
    EXPECT_NEAR(SweptDegrees(ccw), 20, 0.6);
    EXPECT_EQ(ccw.Log()[0].substr(0, 5), "move ");

    RecordingSurface cw;
    DrawRecord(cw, kPI, "0 0 0 1 350 10 - 0 0 0 0 A", kBlue, false, 3);
    EXPECT_NEAR(SweptDegrees(cw), -340, 0.6);

    // Every stroke at the caller's width, the width back to 1 after it; the last stroke ends on the end angle.
    const auto& log = ccw.Log();
    for (size_t i = 1; i + 2 < log.size(); i += 3) {
        EXPECT_EQ(log[i], "width 3");
        EXPECT_TRUE(log[i + 1].starts_with("lineto ")) << log[i + 1];
        EXPECT_EQ(log[i + 2], "width 1");
    }
    EXPECT_NEAR(TraceAngles(ccw).back(), 10, 1e-6);
    EXPECT_EQ(ccw.PenWidth(), 1);
}

TEST(DrawRecord, NegativeAndFarAnglesAreBroughtIntoOneTurn) {
    RecordingSurface negative, positive;
    DrawRecord(negative, kPI, "0 0 0 1 -90 0 + 0 0 0 0 A", kBlue, false, 1);
    DrawRecord(positive, kPI, "0 0 0 1 270 360 + 0 0 0 0 A", kBlue, false, 1);
    EXPECT_NEAR(SweptDegrees(negative), 90, 0.6);
    EXPECT_NEAR(SweptDegrees(positive), 90, 0.6);
    EXPECT_EQ(negative.Log()[0], positive.Log()[0]);  // both start at 270 degrees

    // An end angle of 1000 degrees (280 after whole turns) still ends the trace.
    RecordingSurface far;
    DrawRecord(far, kPI, "0 0 0 1 0 1000 + 0 0 0 0 A", kBlue, false, 1);
    EXPECT_NEAR(SweptDegrees(far), 280, 0.6);
    RecordingSurface huge;
    DrawRecord(huge, kPI, "0 0 0 1 1E12 -1E12 - 0 0 0 0 A", kBlue, false, 1);
    EXPECT_LT(huge.Log().size(), 3 * 700u);

    // An arc that lands within one step of its end at once is a single stroke.
    RecordingSurface tiny;
    DrawRecord(tiny, kPI, "0 0 0 1 0 .5 + 0 0 0 0 A", kBlue, false, 2);
    EXPECT_EQ(tiny.Log().size(), 4u);  // move, width 2, lineto, width 1
}

TEST(DrawRecord, CirclesWithAndWithoutDirection) {
    RecordingSurface plain;
    DrawRecord(plain, kPI, "5 5 0 2 + 3 5 K", kBlue, false, 3);
    EXPECT_EQ(plain.Log(), (std::vector<std::string>{"width 3", "circle 5 5 2 #0000FF", "width 1"}));
    RecordingSurface marked;
    DrawRecord(marked, kPI, "5 5 0 2 + 3 5 K", kYellow, true, 1);
    EXPECT_EQ(marked.Log(), (std::vector<std::string>{"width 1", "circle 5 5 2 #FFFF00", "width 1", "width 3",
                                                      "dot 3 5 #FFFF00", "width 1"}));
    RecordingSurface negative;
    DrawRecord(negative, kPI, "5 5 0 -1 + 6 5 K", kBlue, true, 1);
    EXPECT_TRUE(negative.Log().empty());
}

TEST(DrawRecord, LinesWithArrowheadsAndEndDots) {
    RecordingSurface vertical;
    DrawRecord(vertical, kPI, "0 0 0 0 20 0 D", kGreen, true, 3);
    EXPECT_EQ(vertical.Log(), (std::vector<std::string>{"width 3", "line 0 0 0 20 #00FF00", "width 1",
                                                        "line 1 19 0 20 #00FF00", "line -1 19 0 20 #00FF00", "width 5",
                                                        "dot 0 20 #00FF00", "width 1"}));
    RecordingSurface horizontal;
    DrawRecord(horizontal, kPI, "0 0 0 20 0 0 D", kBlue, true, 1);
    EXPECT_EQ(horizontal.Log()[3], "line 19 1 20 0 #0000FF");
    EXPECT_EQ(horizontal.Log()[4], "line 19 -1 20 0 #0000FF");

    RecordingSurface point;
    DrawRecord(point, kPI, "2 3 0 2 3 0 D", kBlue, true, 1);
    EXPECT_EQ(point.Log(), (std::vector<std::string>{"width 1", "line 2 3 2 3 #0000FF", "width 1", "line 2 3 2 3 #0000FF",
                                                     "line 2 3 2 3 #0000FF", "width 5", "dot 2 3 #0000FF", "width 1"}));
    RecordingSurface plain;
    DrawRecord(plain, kPI, "0 0 0 20 0 0 D", kBlue, false, 1);
    EXPECT_EQ(plain.Log().size(), 3u);
}

TEST(DrawRecord, DiagonalArrowheadLegsAreAtRightAnglesToTheLine) {
    const auto [s1, s2] = ArrowheadPoints(0, 0, 20, 20, 0.95);
    EXPECT_NEAR((s1.first - 19) * 20 + (s1.second - 19) * 20, 0, 1e-9);
    EXPECT_NEAR(std::hypot(s1.first - 19, s1.second - 19), std::hypot(1.0, 1.0), 1e-9);
    EXPECT_NEAR(s1.first + s2.first, 38, 1e-9);
}

TEST(DrawRecord, MissingFieldsReadAsZeroAndNothingElseIsDrawn) {
    RecordingSurface shortLine;
    DrawRecord(shortLine, kPI, "4 5 D", kBlue, false, 1);
    EXPECT_EQ(shortLine.Log()[1], "line 4 5 0 0 #0000FF");
    RecordingSurface nothing;
    DrawRecord(nothing, kPI, "", kBlue, true, 1);
    DrawRecord(nothing, kPI, "1 2 3", kBlue, true, 1);
    EXPECT_TRUE(nothing.Log().empty());
}

TEST(DrawContourAndHeader, ContourDrawsRecordsBeforeEachBarAndHeadersTakeTheMarkersColour) {
    RecordingSurface two, one;
    DrawContour(two, kPI, "0 0 0 1 0 0 D|1 0 0 1 1 0 D|", kBlue, false, 1);
    DrawContour(one, kPI, "0 0 0 1 0 0 D|1 0 0 1 1 0 D", kBlue, false, 1);
    EXPECT_EQ(two.Log().size(), 6u);
    EXPECT_EQ(one.Log().size(), 3u);

    RecordingSurface outside;
    DrawPathHeader(outside, "OO 1 2 3 4");
    EXPECT_EQ(outside.Log(), (std::vector<std::string>{"width 7", "dot 1 2 #00FF00", "dot 3 4 #00FF00", "width 1",
                                                       "line 1 2 3 4 #00FF00"}));
    RecordingSurface inside;
    DrawPathHeader(inside, "II 1 2 3 4");
    EXPECT_EQ(inside.Log()[1], "dot 1 2 #0000FF");
    EXPECT_EQ(inside.PenWidth(), 1);
}

}  // namespace
}  // namespace zorvan
