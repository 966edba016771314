// Bulge arc centres, point angles and arc chords, with the worked figures printed to 15 digits.
#include "geometry/arc_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/number_text.h"
#include "model/record_text.h"

namespace zorvan {
namespace {

constexpr double kPI = 3.141592654;

struct BulgeCase {
    double bulge;
    const char* cx;
    const char* cy;
    const char* r;
};

TEST(BulgeArcCentre, CentresForEveryBulgeRangeOnTheChordFromOriginToTwoZero) {
    const BulgeCase cases[] = {
        {1, "1", "0", "1"},
        {0.5, "1.00000000015383", "0.75", "1.25"},
        {-0.5, "1.00000000015383", "-0.75", "1.25"},
        {2, "1.00000000015383", "-0.75", "1.25"},
        {-2, "1.00000000015383", "0.75", "1.25"},
        {-1, "1", "0", "1"},
    };
    for (const BulgeCase& c : cases) {
        SCOPED_TRACE(c.bulge);
        double cx = 0, cy = 0, r = 0;
        BulgeArcCentre(kPI, 0, 0, 2, 0, c.bulge, cx, cy, r);
        EXPECT_EQ(DefaultNumber(cx), c.cx);
        EXPECT_EQ(DefaultNumber(cy), c.cy);
        EXPECT_EQ(DefaultNumber(r), c.r);
    }
}

TEST(BulgeArcCentre, ZeroBulgeLeavesTheOutputsAndVerticalChordsNeedNoDivision) {
    double cx = 7, cy = 8, r = 9;
    BulgeArcCentre(kPI, 0, 0, 2, 0, 0, cx, cy, r);
    EXPECT_EQ(cx, 7);
    EXPECT_EQ(cy, 8);
    EXPECT_EQ(r, 9);

    BulgeArcCentre(kPI, 0, 0, 0, 2, 1, cx, cy, r);  // upwards: centre (0, 1)
    EXPECT_EQ(DefaultNumber(r), "1");
    EXPECT_NEAR(cx, 0, 1e-9);
    EXPECT_NEAR(cy, 1, 1e-9);
    BulgeArcCentre(kPI, 0, 2, 0, 0, 1, cx, cy, r);  // downwards
    EXPECT_NEAR(cx, 0, 1e-9);
    EXPECT_NEAR(cy, 1, 1e-9);
    EXPECT_TRUE(std::isfinite(cx) && std::isfinite(cy));
}

TEST(PointAngle, QuadrantsAxesAndTheCentreItself) {
    EXPECT_EQ(DefaultNumber(PointAngle(kPI, 6, 6, 5, 5)), "44.9999999941242");
    EXPECT_EQ(PointAngle(kPI, 0, 0, 1, 0), 180);
    EXPECT_EQ(PointAngle(kPI, 2, 0, 1, 0), 0);
    EXPECT_EQ(PointAngle(kPI, 1, 1, 1, 0), 90);
    EXPECT_EQ(PointAngle(kPI, 1, -1, 1, 0), 270);
    EXPECT_EQ(PointAngle(kPI, 1, 0, 1, 0), -10000);
    EXPECT_NEAR(PointAngle(kPI, -1, 1, 0, 0), 135, 1e-6);
    EXPECT_NEAR(PointAngle(kPI, -1, -1, 0, 0), 225, 1e-6);
    EXPECT_NEAR(PointAngle(kPI, 1, -1, 0, 0), 315, 1e-6);
}

// The angles, in degrees, of the chord ends of a chain on a unit circle about the origin.
std::vector<double> ChordAngles(const std::string& chords) {
    std::vector<double> angles;
    for (const std::string_view chord : SplitFields(chords, '|')) {
        if (chord.empty()) continue;
        const auto f = SplitFields(chord);
        EXPECT_EQ(f.size(), 4u);
        if (angles.empty()) angles.push_back(std::atan2(LenientParse(f[1]), LenientParse(f[0])) * 180 / M_PI);
        angles.push_back(std::atan2(LenientParse(f[3]), LenientParse(f[2])) * 180 / M_PI);
    }
    for (double& a : angles) a = std::round(a * 1e4) / 1e4;
    return angles;
}

size_t ChordCount(const std::string& chords) { return static_cast<size_t>(std::count(chords.begin(), chords.end(), '|')); }

TEST(ArcToChords, WholeAndPartialSteps) {
    EXPECT_EQ(ChordAngles(ArcToChords(kPI, 8, 0, 0, 1, 0, 90, "+")), (std::vector<double>{0, 22.5, 45, 67.5, 90}));
    // 100 degrees: the limit 88.75 stops the chain at 90, leaving 10 degrees uncovered.
    EXPECT_EQ(ChordAngles(ArcToChords(kPI, 8, 0, 0, 1, 0, 100, "+")), (std::vector<double>{0, 22.5, 45, 67.5, 90}));
    // 110 degrees: a fifth, shorter chord ends exactly on the end angle.
    EXPECT_EQ(ChordAngles(ArcToChords(kPI, 8, 0, 0, 1, 0, 110, "+")),
              (std::vector<double>{0, 22.5, 45, 67.5, 90, 110}));
    EXPECT_EQ(ArcToChords(kPI, 8, 0, 0, 1, 30, 30, "+"), "");
    const std::string chords = ArcToChords(kPI, 8, 0, 0, 1, 0, 90, "+");
    EXPECT_EQ(chords.back(), '|');
    EXPECT_EQ(chords.substr(0, chords.find('|')), "1 0 0.923879532491664 0.382683432412462");
}

TEST(ArcToChords, SenseDecidesTheWayRoundAcrossZero) {
    // 350 to 10 degrees: 20 degrees counter-clockwise, 340 degrees clockwise.
    EXPECT_EQ(ChordAngles(ArcToChords(kPI, 16, 0, 0, 1, 350, 10, "+")), (std::vector<double>{-10, 1.25, 10}));
    const std::string clockwise = ArcToChords(kPI, 16, 0, 0, 1, 350, 10, "-");
    EXPECT_EQ(ChordCount(clockwise), 30u);  // 340 / 11.25 = 30.2: thirty chords, the rest uncovered
    EXPECT_EQ(ChordAngles(clockwise).front(), -10);
    // Any sense text other than "-" runs counter-clockwise.
    EXPECT_EQ(ArcToChords(kPI, 16, 0, 0, 1, 350, 10, ""), ArcToChords(kPI, 16, 0, 0, 1, 350, 10, "+"));
    EXPECT_EQ(ArcToChords(kPI, 16, 0, 0, 1, 350, 10, "x"), ArcToChords(kPI, 16, 0, 0, 1, 350, 10, "+"));
    // Negative angles take one turn.
    EXPECT_EQ(ArcToChords(kPI, 8, 0, 0, 1, -90, 0, "+"), ArcToChords(kPI, 8, 0, 0, 1, 270, 360, "+"));
}

TEST(ArcToChords, WholeTurnsAreRemovedFromAnglesFarOutsideOneTurn) {
    // Angles between -360 and 720 degrees keep the single corrections' results.
    EXPECT_EQ(ArcToChords(kPI, 8, 0, 0, 1, 0, 720, "+"), ArcToChords(kPI, 8, 0, 0, 1, 0, 360, "+"));
    EXPECT_EQ(ArcToChords(kPI, 8, 0, 0, 1, -360, 90, "+"), ArcToChords(kPI, 8, 0, 0, 1, 0, 90, "+"));
    // Beyond that, whole turns: 1E12 degrees is 1E12 mod 360 = 280 degrees, and the chain stays short.
    const std::string far = ArcToChords(kPI, 8, 0, 0, 1, 0, 1e12, "+");
    EXPECT_LE(ChordCount(far), 17u);
    EXPECT_GE(ChordCount(far), 1u);
    EXPECT_LE(ChordCount(ArcToChords(kPI, 16, 0, 0, 1, -1e300, 1e300, "-")), 33u);
    EXPECT_EQ(ChordAngles(ArcToChords(kPI, 8, 0, 0, 1, 1080, 1170, "+")),
              ChordAngles(ArcToChords(kPI, 8, 0, 0, 1, 0, 90, "+")));
}

}  // namespace
}  // namespace zorvan
