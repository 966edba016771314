// The sense each closed contour is cut in and its compensation word, checked on the written program by
// geometry: G41 puts the tool left of the travel, so a hole must be cut with the kerf inside its contour and
// an outline with the kerf outside. The drawings hold arcs too short for a chord of the area sum, far from
// the origin, where an area that leaves them out has any sign.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "gcode/main_job.h"
#include "model/part_entry.h"
#include "support/dxf_text.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

using testing::DxfText;
using testing::Vertex;

constexpr double kPi = std::numbers::pi;

struct Pt {
    double x = 0, y = 0;
};

// One contour as the program cuts it: from the end of its lead-in, arcs sampled.
struct Cut {
    int part = -1;             // the number in the part's comment row
    std::string compensation;  // "G41", "G42" or empty
    std::vector<Pt> path;
    bool Closed() const {
        return path.size() > 2 && std::hypot(path.front().x - path.back().x, path.front().y - path.back().y) < 1e-5;
    }
};

void AppendArc(std::vector<Pt>& path, Pt c, Pt to, bool counterClockwise) {
    const Pt from = path.back();
    const double r = std::hypot(from.x - c.x, from.y - c.y), a0 = std::atan2(from.y - c.y, from.x - c.x);
    double sweep = std::atan2(to.y - c.y, to.x - c.x) - a0;
    if (counterClockwise && sweep <= 0) sweep += 2 * kPi;
    if (!counterClockwise && sweep >= 0) sweep -= 2 * kPi;
    constexpr int kSteps = 16;
    for (int k = 1; k < kSteps; ++k) {
        const double a = a0 + sweep * k / kSteps;
        path.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    path.push_back(to);
}

// The first G1 after the rapid ends the lead-in and starts the contour; G41 or G42 may stand anywhere in the part.
std::vector<Cut> ParseProgram(const std::string& program) {
    std::vector<Cut> cuts;
    std::istringstream in(program);
    std::string row;
    bool leadingIn = false;
    while (std::getline(in, row)) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.starts_with("(---")) {
            cuts.push_back({std::stoi(row.substr(row.find_first_of("0123456789"))), "", {}});
            continue;
        }
        if (cuts.empty()) continue;
        Cut& cut = cuts.back();
        if (row == "G41" || row == "G42") cut.compensation = row;
        if (row.size() < 3 || row[0] != 'G' || row[2] != ' ') continue;
        double x = 0, y = 0, i = 0, j = 0, value = 0;
        char letter = 0;
        for (std::istringstream words(row.substr(3)); words >> letter >> value;) {
            if (letter == 'X') x = value;
            if (letter == 'Y') y = value;
            if (letter == 'I') i = value;
            if (letter == 'J') j = value;
        }
        if (row[1] == '0') {
            leadingIn = true;
        } else if (row[1] == '1' && leadingIn) {
            cut.path = {{x, y}};
            leadingIn = false;
        } else if (row[1] == '1') {
            cut.path.push_back({x, y});
        } else if ((row[1] == '2' || row[1] == '3') && !cut.path.empty()) {
            AppendArc(cut.path, {i, j}, {x, y}, row[1] == '3');
        }
    }
    return cuts;
}

double SignedArea(const std::vector<Pt>& path) {  // counter-clockwise positive
    double twice = 0;
    for (size_t i = 0, j = path.size() - 1; i < path.size(); j = i++) twice += path[j].x * path[i].y - path[i].x * path[j].y;
    return twice / 2;
}

bool Inside(const std::vector<Pt>& polygon, Pt p) {
    bool inside = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Pt a = polygon[i], b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x)) inside = !inside;
    }
    return inside;
}

// Left of a counter-clockwise path is inside it.
bool KerfInside(const Cut& cut) { return (SignedArea(cut.path) > 0) == (cut.compensation == "G41"); }

// `count` arcs about `c` from `from` degrees over `sweep` as polyline vertices; the vertex where the last one
// ends is the next one added (or the first, for the closing piece).
void AddArcs(std::vector<Vertex>& vertices, Pt c, double r, double from, double sweep, int count) {
    const double step = sweep / count, bulge = std::tan(step / 4 * kPi / 180);
    for (int k = 0; k < count; ++k) {
        const double a = (from + step * k) * kPi / 180;
        vertices.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a), bulge});
    }
}

Vertex On(Pt c, double r, double degrees) {
    return {c.x + r * std::cos(degrees * kPi / 180), c.y + r * std::sin(degrees * kPi / 180)};
}

// The same closed polyline run the other way: each piece's bulge moves to its new first vertex, negated.
std::vector<Vertex> Reversed(const std::vector<Vertex>& v) {
    std::vector<Vertex> w;
    for (size_t k = v.size(); k-- > 0;) w.push_back({v[k].x, v[k].y, -v[(k + v.size() - 1) % v.size()].bulge});
    return w;
}

// A plate 300 x 200 at (5000, 5900), its top corners rounded by 45 arcs of 2 degrees each, holding a ring of
// 100 arcs of 3.6 degrees and a slot at 30 degrees whose round ends are 90 arcs of 2 degrees each, all drawn
// one way. Without its arcs the plate's area is its two long sides', of the wrong sign and huge.
constexpr Pt kOnlyInThePlate{5150, 5920};

std::string ShortArcPlate(bool clockwise) {
    std::vector<Vertex> plate{{5000, 5900}, {5300, 5900}}, ring, slot;
    for (const Pt corner : {Pt{5260, 6060}, Pt{5040, 6060}}) {
        const double from = corner.x > 5150 ? 0 : 90;
        AddArcs(plate, corner, 40, from, 90, 45);
        plate.push_back(On(corner, 40, from + 90));
    }
    AddArcs(ring, {5050, 6000}, 40, 0, 360, 100);
    const Pt c1{5130, 5980}, c2{c1.x + 80 * std::cos(kPi / 6), c1.y + 80 * std::sin(kPi / 6)};
    slot.push_back(On(c1, 10, 300));
    AddArcs(slot, c2, 10, 300, 180, 90);
    slot.push_back(On(c2, 10, 120));
    AddArcs(slot, c1, 10, 120, 180, 90);
    DxfText dxf;
    for (const auto* contour : {&plate, &ring, &slot}) dxf.LwPolyline(clockwise ? Reversed(*contour) : *contour);
    return dxf.Build();
}

TEST(CutDirection, ShortArcContoursFarFromTheOriginPutTheKerfInTheScrap) {
    for (const bool clockwise : {false, true}) {
        for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
            SCOPED_TRACE(std::string(clockwise ? "drawn clockwise" : "drawn counter-clockwise") +
                         (mode == ReadMode::Sheet ? ", sheet mode" : ", default mode"));
            auto program = std::make_unique<Program>();
            JobOptions options;
            options.read.mode = mode;
            const JobResult job = RunMainJob(*program, ShortArcPlate(clockwise), options);
            ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
            const std::vector<Cut> cuts = ParseProgram(job.programText);
            ASSERT_EQ(cuts.size(), 3u);
            int outlines = 0;
            for (const Cut& cut : cuts) {
                SCOPED_TRACE("part " + std::to_string(cut.part));
                ASSERT_TRUE(cut.Closed());
                ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
                const bool outline = Inside(cut.path, kOnlyInThePlate);
                outlines += outline ? 1 : 0;
                EXPECT_EQ(KerfInside(cut), !outline);
            }
            EXPECT_EQ(outlines, 1);
        }
    }
}

// Two holes of this drawing are closed by a bulge arc of half a degree whose radius is 110, next to arcs of
// radius 0.4. (Sheet mode refuses the drawing: its polylines all lie on a tilted plane.)
TEST(CutDirection, CorpusPolylinesWithShortBulgeArcsCutEveryClosedContourTheWayItsMarkerSays) {
    auto program = std::make_unique<Program>();
    const std::string drawing = testing::ReadBytes(std::string(ZORVAN_CORPUS_DIR) + "/r12_polylines_bulges.dxf");
    const JobResult job = RunMainJob(*program, drawing);
    ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
    int closed = 0;
    for (const Cut& cut : ParseProgram(job.programText)) {
        if (!cut.Closed() || std::fabs(SignedArea(cut.path)) < 1e-6) continue;  // there and back: no side
        SCOPED_TRACE("part " + std::to_string(cut.part));
        ++closed;
        ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
        EXPECT_EQ(KerfInside(cut), PartFields(program->partList[static_cast<size_t>(cut.part)]).Marker() == "II");
    }
    EXPECT_EQ(closed, 26);  // the 14 closed polylines, and open ones whose ends meet
}

}  // namespace
}  // namespace zorvan
