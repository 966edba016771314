// The chaining checked against a plain reading of the joining rule: every record's ends compared with every
// other record's ends, the walks written out as text and the lone records found by searching that text. The
// reference is slow and obviously right; the grid in the real chaining is fast and has to give the same links
// and the same contourChain, to the character, on thousands of seeded random drawings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "import/chaining.h"
#include "import/end_point_grid.h"
#include "model/number_text.h"
#include "model/program.h"
#include "model/record_text.h"

namespace zorvan {
namespace {

// ---------------------------------------------------------------------------------------------------------
// The reference chaining.

std::vector<std::string> SplitOnBlanks(const std::string& text) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == ' ') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

double FieldNumber(const std::vector<std::string>& fields, size_t index) {
    return index < fields.size() ? LenientParse(fields[index]) : 0.0;
}

bool Contains(const std::string& text, char letter) { return text.find(letter) != std::string::npos; }

// How often the drawings came close to the tolerance, so a generator that stops producing hard cases is noticed.
struct Coverage {
    int64_t joinsJustInside = 0;   // joined, with the larger of |dx|, |dy| at 0.0009 or more
    int64_t missesAtLimit = 0;     // not joined, the larger difference in [0.001, 0.0012], the other below 0.001
    int64_t exactLimitMisses = 0;  // not joined because one difference is exactly 0.001
    int64_t crowdedEnds = 0;       // ends met by two or more other records
    int64_t circlesTouching = 0;   // a circle's leftmost point on some other record's end
    int64_t zeroLengthLines = 0;
    int64_t hugeJoins = 0;         // joined ends beyond 1e5 in magnitude
    int64_t longWalks = 0;         // walks of three records or more
};

struct Reference {
    std::vector<double> startX, startY, endX, endY;
    std::vector<int32_t> linkAtStart, linkAtEnd;
    std::string contourChain;
};

Reference ChainPairByPair(const std::vector<std::string>& records, Coverage& coverage) {
    const auto n = static_cast<int32_t>(records.size());
    const auto size = records.size();
    Reference ref;
    ref.startX.assign(size, -100.0);
    ref.startY.assign(size, -100.0);
    ref.endX.assign(size, -100.0);
    ref.endY.assign(size, -100.0);
    ref.linkAtStart.assign(size, -1);
    ref.linkAtEnd.assign(size, -1);

    for (size_t i = 0; i < size; ++i) {
        const std::string& record = records[i];
        if (Contains(record, 'A')) {
            const auto f = SplitOnBlanks(record);
            ref.startX[i] = FieldNumber(f, 7);
            ref.startY[i] = FieldNumber(f, 8);
            ref.endX[i] = FieldNumber(f, 9);
            ref.endY[i] = FieldNumber(f, 10);
        }
        if (Contains(record, 'D')) {
            const auto f = SplitOnBlanks(record);
            ref.startX[i] = FieldNumber(f, 0);
            ref.startY[i] = FieldNumber(f, 1);
            ref.endX[i] = FieldNumber(f, 3);
            ref.endY[i] = FieldNumber(f, 4);
        }
        if (Contains(record, 'K')) {
            std::string withoutK;
            for (const char c : record) {
                if (c != 'K') withoutK += c;
            }
            const size_t first = withoutK.find_first_not_of(' ');
            withoutK = first == std::string::npos
                           ? ""
                           : withoutK.substr(first, withoutK.find_last_not_of(' ') - first + 1);
            const auto f = SplitOnBlanks(withoutK);
            ref.startX[i] = ref.endX[i] = FieldNumber(f, 0) - FieldNumber(f, 3);
            ref.startY[i] = ref.endY[i] = FieldNumber(f, 1);
        }
    }

    const auto isCircle = [&](int32_t i) { return Contains(records[static_cast<size_t>(i)], 'K'); };
    const auto meet = [&coverage](double ax, double ay, double bx, double by) {
        const double dx = std::fabs(ax - bx), dy = std::fabs(ay - by);
        const bool joined = dx < 0.001 && dy < 0.001;
        const double larger = std::max(dx, dy), smaller = std::min(dx, dy);
        if (joined && larger >= 0.0009) ++coverage.joinsJustInside;
        if (joined && std::fabs(ax) > 1e5) ++coverage.hugeJoins;
        if (!joined && smaller < 0.001 && larger >= 0.001 && larger <= 0.0012) ++coverage.missesAtLimit;
        if (!joined && (dx == 0.001 || dy == 0.001)) ++coverage.exactLimitMisses;
        return joined;
    };

    for (int32_t o = 0; o < n; ++o) {
        const auto uo = static_cast<size_t>(o);
        if (isCircle(o)) continue;
        int32_t metAtStart = 0, metAtEnd = 0;
        for (int32_t i = 0; i < n; ++i) {
            const auto ui = static_cast<size_t>(i);
            if (i == o || isCircle(i)) continue;
            bool atStart = false, atEnd = false;
            if (meet(ref.startX[uo], ref.startY[uo], ref.startX[ui], ref.startY[ui])) {
                ref.linkAtStart[uo] = i;
                atStart = true;
            }
            if (meet(ref.startX[uo], ref.startY[uo], ref.endX[ui], ref.endY[ui])) {
                ref.linkAtStart[uo] = i;
                atStart = true;
            }
            if (meet(ref.endX[uo], ref.endY[uo], ref.startX[ui], ref.startY[ui])) {
                ref.linkAtEnd[uo] = i;
                atEnd = true;
            }
            if (meet(ref.endX[uo], ref.endY[uo], ref.endX[ui], ref.endY[ui])) {
                ref.linkAtEnd[uo] = i;
                atEnd = true;
            }
            metAtStart += atStart ? 1 : 0;
            metAtEnd += atEnd ? 1 : 0;
        }
        coverage.crowdedEnds += (metAtStart >= 2) + (metAtEnd >= 2);
        if (ref.startX[uo] == ref.endX[uo] && ref.startY[uo] == ref.endY[uo] && Contains(records[uo], 'D')) {
            ++coverage.zeroLengthLines;
        }
    }
    for (int32_t c = 0; c < n; ++c) {
        if (!isCircle(c)) continue;
        const auto uc = static_cast<size_t>(c);
        for (int32_t i = 0; i < n; ++i) {
            const auto ui = static_cast<size_t>(i);
            if (i == c || isCircle(i)) continue;
            if ((ref.startX[ui] == ref.startX[uc] && ref.startY[ui] == ref.startY[uc]) ||
                (ref.endX[ui] == ref.startX[uc] && ref.endY[ui] == ref.startY[uc])) {
                ++coverage.circlesTouching;
                break;
            }
        }
    }

    std::vector<int32_t> chained(size, 0);
    const auto nextInChain = [&](int32_t i) -> int32_t {
        chained[static_cast<size_t>(i)] = -1;
        const int32_t atStart = ref.linkAtStart[static_cast<size_t>(i)];
        if (atStart != -1 && chained[static_cast<size_t>(atStart)] == 0) {
            chained[static_cast<size_t>(atStart)] = -1;
            return atStart;
        }
        const int32_t atEnd = ref.linkAtEnd[static_cast<size_t>(i)];
        if (atEnd != -1 && chained[static_cast<size_t>(atEnd)] == 0) {
            chained[static_cast<size_t>(atEnd)] = -1;
            return atEnd;
        }
        return -2;
    };
    for (int32_t o = 0; o < n; ++o) {
        std::string list;
        int32_t numbers = 0;
        for (int32_t v = o; v >= 0; v = nextInChain(v)) {
            list += std::to_string(v) + "|";
            ++numbers;
        }
        if (numbers >= 2) ref.contourChain += list + ":";
        if (numbers >= 3) ++coverage.longWalks;
    }

    std::string searchText = "|";
    for (const char c : ref.contourChain) {
        if (c != ':') searchText += c;
    }
    for (int32_t a = 0; a < n; ++a) {
        if (searchText.find("|" + std::to_string(a) + "|") == std::string::npos) {
            ref.contourChain += std::to_string(a) + "|:";
        }
    }
    return ref;
}

// ---------------------------------------------------------------------------------------------------------
// Random drawings.

// A family of drawings: where the coordinates lie and what kinds of record they hold.
struct Profile {
    const char* name;
    uint32_t firstSeed;
    int drawings;
    int minRecords, maxRecords;
    std::vector<double> anchors;  // every coordinate is an anchor plus a random part
    int spreadSteps;              // the random part: a whole number of steps in [-spreadSteps, spreadSteps] ...
    double stepsPerUnit;          // ... each 1/stepsPerUnit long
    double arcShare, circleShare;
    bool expectNearLimit;  // whether the profile must produce joins and misses right at the tolerance
};

class DrawingGenerator {
public:
    DrawingGenerator(const Profile& profile, uint32_t seed) : profile_(profile), rng_(seed) {}

    static constexpr double kOddShare = 0.015;

    std::vector<std::string> Drawing() {
        const int n = UniformInt(profile_.minRecords, profile_.maxRecords);
        exactNumbers_ = UniformInt(0, 2);  // 0: the 15-digit form records are written in, 1: exact, 2: mixed
        pool_.clear();
        const int poolSize = std::max(1, static_cast<int>(n * Uniform(0.2, 1.0)));
        for (int i = 0; i < poolSize; ++i) pool_.push_back({Coordinate(), Coordinate()});

        std::vector<std::string> records;
        Point previousEnd = pool_.front();
        for (int i = 0; i < n; ++i) {
            const double kind = Uniform(0, 1);
            // Half the records start where the one before ended, as the sides of a contour do.
            const Point start = Chance(0.5) ? Near(previousEnd) : Near(PoolPoint());
            const Point end = Chance(0.06) ? start : Near(PoolPoint());
            if (kind < kOddShare) {
                records.push_back(OddRecord(start, end));
            } else if (kind < kOddShare + profile_.circleShare) {
                records.push_back(Circle());
                continue;  // a circle is no contour's side: the next record does not start at it
            } else if (kind < kOddShare + profile_.circleShare + profile_.arcShare) {
                records.push_back(Arc(start, end));
            } else {
                records.push_back(Line(start, end));
            }
            previousEnd = end;
        }
        return records;
    }

private:
    struct Point {
        double x, y;
    };

    int UniformInt(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(rng_); }
    bool Chance(double p) { return Uniform(0, 1) < p; }
    template <typename T>
    const T& Pick(const std::vector<T>& values) {
        return values[static_cast<size_t>(UniformInt(0, static_cast<int>(values.size()) - 1))];
    }

    double Coordinate() {
        const double anchor = Pick(profile_.anchors);
        const int steps = UniformInt(-profile_.spreadSteps, profile_.spreadSteps);
        return anchor + steps / profile_.stepsPerUnit;
    }

    Point PoolPoint() { return Pick(pool_); }

    // The point itself most of the time; otherwise moved in X, in Y or in both by a distance just inside,
    // at or just outside the tolerance.
    Point Near(Point p) {
        static const std::vector<double> kOffsets = {0.0009, 0.001, 0.0011, 0.0005, 0.00099999999, 0.00100000001,
                                                      1e-12};
        if (!Chance(0.35)) return p;
        const int direction = UniformInt(0, 2);
        if (direction != 1) p.x += Pick(kOffsets) * (Chance(0.5) ? 1 : -1);
        if (direction != 0) p.y += Pick(kOffsets) * (Chance(0.5) ? 1 : -1);
        return p;
    }

    std::string Number(double value) {
        if (exactNumbers_ == 0 || (exactNumbers_ == 2 && Chance(0.5))) return InvariantNumber(value);
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);  // shortest exact form
        return std::string(digits, result.ptr);
    }

    std::string Line(Point s, Point e) {
        return Number(s.x) + " " + Number(s.y) + " 0 " + Number(e.x) + " " + Number(e.y) + " 0 D";
    }

    std::string Arc(Point s, Point e) {
        const double cx = (s.x + e.x) / 2, cy = (s.y + e.y) / 2;
        const double r = std::hypot(e.x - s.x, e.y - s.y) / 2;
        return Number(cx) + " " + Number(cy) + " 0 " + Number(r) + " " + Number(Uniform(0, 360)) + " " +
               Number(Uniform(0, 360)) + (Chance(0.5) ? " + " : " - ") + Number(s.x) + " " + Number(s.y) + " " +
               Number(e.x) + " " + Number(e.y) + " A";
    }

    // Texts the reader does not write but the chaining takes: no type letter (both ends stay at -100, -100),
    // or two letters, where the later reading of the ends wins.
    std::string OddRecord(Point s, Point e) {
        switch (UniformInt(0, 4)) {
            case 0: return "";
            case 1: return "7 7 7";
            case 2: return Line(s, e) + " A";
            case 3: return Arc(s, e) + " D";
            default: return Circle() + " D";
        }
    }

    // Half the circles have their leftmost point on a point of the pool, where line ends are.
    std::string Circle() {
        static const std::vector<double> kRadii = {0.5, 1, 2.5, 0.0005, 0.001, 12.75};
        const double r = Pick(kRadii);
        const Point p = Chance(0.5) ? PoolPoint() : Point{Coordinate(), Coordinate()};
        const double cx = p.x + r;
        return Number(cx) + " " + Number(p.y) + " 0 " + Number(r) + " + " + Number(cx - r) + " " + Number(p.y) +
               " K";
    }

    const Profile& profile_;
    std::mt19937 rng_;
    std::vector<Point> pool_;
    int exactNumbers_ = 0;
};

// ---------------------------------------------------------------------------------------------------------
// The comparison.

std::string Listing(const std::vector<std::string>& records) {
    std::string text;
    for (size_t i = 0; i < records.size(); ++i) text += std::to_string(i) + ": " + records[i] + "\n";
    return text;
}

void ExpectSameAsReference(const std::vector<std::string>& records, ChainTables& tables, Coverage& coverage) {
    const Reference ref = ChainPairByPair(records, coverage);
    const std::string chain = ChainRecordTexts(records, tables);
    const std::string drawing = records.size() <= 80 ? Listing(records) : "(" + std::to_string(records.size()) + " records)";
    ASSERT_EQ(chain, ref.contourChain) << drawing;
    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(tables.recStartX[i], ref.startX[i]) << "record " << i << ": " << records[i];
        ASSERT_EQ(tables.recStartY[i], ref.startY[i]) << "record " << i << ": " << records[i];
        ASSERT_EQ(tables.recEndX[i], ref.endX[i]) << "record " << i << ": " << records[i];
        ASSERT_EQ(tables.recEndY[i], ref.endY[i]) << "record " << i << ": " << records[i];
        ASSERT_EQ(tables.linkAtStart[i], ref.linkAtStart[i]) << "record " << i << "\n" << drawing;
        ASSERT_EQ(tables.linkAtEnd[i], ref.linkAtEnd[i]) << "record " << i << "\n" << drawing;
    }
}

// Runs a profile. Every other drawing is chained into tables left over from the drawing before and scribbled
// over, as the program's own tables are from one load to the next; the others into tables of exactly the
// drawing's size, so a write past the records is caught under AddressSanitizer.
void RunProfile(const Profile& profile) {
    Coverage coverage;
    ChainTables reused(1000);
    for (int d = 0; d < profile.drawings; ++d) {
        const uint32_t seed = profile.firstSeed + static_cast<uint32_t>(d);
        SCOPED_TRACE(std::string("profile ") + profile.name + ", seed " + std::to_string(seed));
        DrawingGenerator generator(profile, seed);
        const std::vector<std::string> records = generator.Drawing();
        if (d % 2 == 0 && records.size() <= reused.linkAtStart.size()) {
            for (size_t i = 0; i < records.size(); ++i) {
                reused.linkAtStart[i] = reused.linkAtEnd[i] = static_cast<int32_t>((i * 7) % records.size());
                reused.chained[i] = -1;
            }
            ExpectSameAsReference(records, reused, coverage);
        } else {
            ChainTables exact(records.size());
            ExpectSameAsReference(records, exact, coverage);
        }
        if (::testing::Test::HasFatalFailure()) return;
    }
    SCOPED_TRACE(std::string("profile ") + profile.name);
    EXPECT_GT(coverage.crowdedEnds, 0);
    EXPECT_GT(coverage.zeroLengthLines, 0);
    EXPECT_GT(coverage.longWalks, 0);
    if (profile.circleShare > 0) {
        EXPECT_GT(coverage.circlesTouching, 0);
    }
    if (std::any_of(profile.anchors.begin(), profile.anchors.end(), [](double a) { return std::fabs(a) > 1e5; })) {
        EXPECT_GT(coverage.hugeJoins, 0);
    }
    if (profile.expectNearLimit) {
        EXPECT_GT(coverage.joinsJustInside, 0);
        EXPECT_GT(coverage.missesAtLimit, 0);
        EXPECT_GT(coverage.exactLimitMisses, 0);
    }
}

// ---------------------------------------------------------------------------------------------------------

TEST(ChainingOracle, HandDrawnDrawingsGiveTheExpectedContours) {
    struct Case {
        const char* what;
        std::vector<std::string> records;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"square and a loose line",
         {"0 0 0 10 0 0 D", "10 0 0 10 10 0 D", "10 10 0 0 10 0 D", "0 10 0 0 0 0 D", "20 20 0 30 20 0 D"},
         "0|3|2|1|:4|:"},
        {"ends exactly 0.001 apart do not join, 0.0009999 apart they do",
         {"-1 5 0 0 5 0 D", ".001 5 0 1 5 0 D", "-1 8 0 0 8 0 D", ".0009999 8 0 1 8 0 D", "-1 0 0 0 0 0 D",
          "0 .001 0 1 .001 0 D"},
         "2|3|:0|:1|:4|:5|:"},
        {"three ends at one point link to the highest other record; a circle touching them stays alone",
         {"0 0 0 1 0 0 D", "1 0 0 2 0 0 D", "1 0 0 1 1 0 D", "2 0 0 1 + 1 0 K"},
         "0|2|1|:3|:"},
        {"an arc between two lines",
         {"0 0 0 1 0 0 D", "1.5 0 0 .5 0 180 - 1 0 2 0 A", "2 0 0 3 0 0 D"},
         "0|1|2|:"},
        {"no records, no contours", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Coverage unused;
        EXPECT_EQ(ChainPairByPair(c.records, unused).contourChain, c.expected);
        ChainTables tables(c.records.size());
        EXPECT_EQ(ChainRecordTexts(c.records, tables), c.expected);
    }
}

// Coordinates around 0 on the 0.001 cell boundaries, so most ends meet or just miss.
TEST(ChainingOracle, AgreesNearCellBoundaries) {
    RunProfile({"cell boundaries", 1000, 1500, 2, 60,
                {0.0, 0.001, -0.001, 0.002, 0.0029999, 0.0009999, 0.0010001, -0.0005, -0.0029999},
                30, 10000.0, 0.1, 0.05, true});
}

// Everyday part sizes, with -100 among them: where a record without a type letter has both its ends.
TEST(ChainingOracle, AgreesOnEverydayCoordinates) {
    RunProfile({"everyday", 20000, 1500, 2, 60, {0.0, 10.0, -25.5, 100.0, -100.0}, 100, 2.0, 0.15, 0.08, true});
}

// Magnitudes where the doubles are coarser than the tolerance, and the ends of the grid's index range.
TEST(ChainingOracle, AgreesOnLargeMagnitudes) {
    RunProfile({"large magnitudes", 40000, 600, 2, 60,
                {1e6, -1e6, 1e12, 1e15, -1e15, 4e15, 1e300, -1e300, 0.0}, 20, 10000.0, 0.1, 0.05, true});
}

TEST(ChainingOracle, AgreesWithManyCirclesAndArcs) {
    RunProfile({"circles and arcs", 60000, 600, 1, 60, {0.0, 0.002, 5.0, -5.0}, 40, 4.0, 0.3, 0.35, false});
}

TEST(ChainingOracle, AgreesOnDrawingsOfHundredsOfRecords) {
    RunProfile({"hundreds", 80000, 24, 100, 600, {0.0, 0.001, -0.001, 50.0, 1e12}, 200, 100.0, 0.15, 0.05, true});
}

// ---------------------------------------------------------------------------------------------------------

TEST(EndPointGridCells, IndexIsBoundedAndNeverDecreases) {
    const double inf = std::numeric_limits<double>::infinity();
    // The query loops run from one index to another plus one, so neither end may sit at the 64-bit limits.
    for (const double v : {1e308, -1e308, DBL_MAX, -DBL_MAX, inf, -inf, 1e300, -1e300}) {
        SCOPED_TRACE(v);
        const int64_t index = GridCellIndex(v);
        EXPECT_LT(index, std::numeric_limits<int64_t>::max() - 8);
        EXPECT_GT(index, std::numeric_limits<int64_t>::min() + 8);
    }
    EXPECT_GE(GridCellIndex(DBL_MAX), GridCellIndex(1e15));
    EXPECT_LE(GridCellIndex(-DBL_MAX), GridCellIndex(-1e15));

    // Cells 0.001 wide with their lower edge inside, down to the smallest negatives.
    EXPECT_EQ(GridCellIndex(0.0), 0);
    EXPECT_EQ(GridCellIndex(-0.0), 0);
    EXPECT_EQ(GridCellIndex(0.0029999), 2);
    EXPECT_EQ(GridCellIndex(-0.001), -1);
    EXPECT_EQ(GridCellIndex(-std::numeric_limits<double>::denorm_min()), -1);

    std::vector<double> sample = {-inf, -DBL_MAX, -1e308, -1e300, -1e19, -4e15, -1e15, -1e12, -1e6, -1.0,
                                  -0.0029999, -0.002, -0.001, -0.0009999, -1e-300, -0.0, 0.0, 1e-300,
                                  0.0009999, 0.001, 0.002, 0.0029999, 1.0, 1e6, 1e12, 1e15, 4e15, 1e19, 1e300,
                                  1e308, DBL_MAX, inf};
    for (int k = -5; k <= 5; ++k) {  // both sides of the cell edges near 0, one double apart
        const double edge = k / 1000.0;
        sample.push_back(std::nextafter(edge, -inf));
        sample.push_back(std::nextafter(edge, inf));
    }
    std::mt19937_64 rng(7);
    while (sample.size() < 20000) {  // doubles of every magnitude, from random bit patterns
        const uint64_t bits = rng();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) sample.push_back(v);
    }
    std::uniform_real_distribution<double> near(-0.01, 0.01);
    for (int i = 0; i < 5000; ++i) sample.push_back(near(rng));
    std::sort(sample.begin(), sample.end());
    for (size_t i = 1; i < sample.size(); ++i) {
        ASSERT_LE(GridCellIndex(sample[i - 1]), GridCellIndex(sample[i])) << sample[i - 1] << " then " << sample[i];
    }
}

// Where doubles are coarser than the tolerance, values join only when equal, so distinct values must not share
// a cell: otherwise a drawing far from the origin puts every end into one cell and each look-up scans them all.
TEST(EndPointGridCells, CoarseValuesKeepCellsOfTheirOwn) {
    const double coarse[] = {8796093022208.0, 1e13, 1e16, 4e15, 1e300, DBL_MAX};
    for (const double v : coarse) {
        SCOPED_TRACE(v);
        const double next = std::nextafter(v, std::numeric_limits<double>::infinity());
        if (std::isfinite(next)) {
            EXPECT_LT(GridCellIndex(v), GridCellIndex(next));
        }
        EXPECT_LT(GridCellIndex(-v), GridCellIndex(std::nextafter(-v, 0.0)));
    }
    // The last fine cell stays below the first coarse one.
    EXPECT_LT(GridCellIndex(std::nextafter(8796093022208.0, 0.0)), GridCellIndex(8796093022208.0));

    // Lines far from the origin (where 15 digits still hold every coordinate) chain exactly, each ending where
    // the next starts.
    std::vector<std::string> records;
    for (int i = 0; i < 50; ++i) {
        records.push_back(MakeLineRecord(1e13 + 4.0 * i, 5, 0, 1e13 + 4.0 * (i + 1), 5, 0));
    }
    ChainTables tables(records.size());
    const std::string chain = ChainRecordTexts(records, tables);
    EXPECT_EQ(std::count(chain.begin(), chain.end(), ':'), 1);
    EXPECT_EQ(tables.linkAtEnd[0], 1);
    EXPECT_EQ(tables.linkAtStart[49], 48);
}

}  // namespace
}  // namespace zorvan
