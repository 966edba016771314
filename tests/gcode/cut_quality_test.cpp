// Cut quality checked by geometry on the programs as written: arc lead-ins meet the contour along it,
// overcuts run on the contour, lead-ins and lead-outs lie in the scrap, arc centres read back the same whether
// written absolute or as offsets, small holes get their feed words, and rs274 runs every program.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gcode/job_summary.h"
#include "gcode/main_job.h"
#include "gcode/templates.h"
#include "model/number_text.h"
#include "model/record_text.h"
#include "model/text_file.h"
#include "planning/cut_shapes.h"
#include "support/rs274.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

const char* const kSamples[] = {"plate_holes_slot", "bracket_lwpolyline", "gusset_lf", "sheet_brackets_inch"};

struct Style {
    const char* name;
    LeadInStyle leadIn;
    LeadOutStyle leadOut;
};
const Style kStyles[] = {{"line", LeadInStyle::Line, LeadOutStyle::Line}, {"arc", LeadInStyle::Arc, LeadOutStyle::Arc}};

struct Planned {
    std::unique_ptr<Program> program;
    JobResult job;
};

Planned Plan(const char* sample, const Style& style, const char* preset, double kerf, bool inProgram,
             ArcCentres centres = ArcCentres::Absolute, double smallHoles = 0) {
    Planned planned{std::make_unique<Program>(), {}};
    Program& program = *planned.program;
    program.templateFolder = (fs::path(ZORVAN_SOURCE_DIR) / "presets" / preset).string();
    LoadTemplates(program);
    program.kerf = kerf;
    program.kerfInProgram = inProgram;
    program.arcCentres = centres;
    program.cutStyle.outline = program.cutStyle.hole = style.leadIn;
    program.cutStyle.overcut = 1;
    program.cutStyle.leadOut = style.leadOut;
    program.cutStyle.leadOutLength = 3;
    program.cutStyle.smallHoleDiameter = smallHoles;
    program.cutStyle.feed = TemplateFeed(program);
    JobOptions options;
    options.leadIn = "5";
    options.read.mode = ReadMode::Sheet;
    auto text = ReadWholeFile((fs::path(ZORVAN_SOURCE_DIR) / "samples" / (std::string(sample) + ".dxf")).string());
    planned.job = RunMainJob(program, std::move(*text), options);
    return planned;
}

// One move of a program as the controller reads it.
struct Move {
    Point2 from, to, centre;
    bool arc = false;
};

// The moves of each part, by the number in its comment row; arc centres read as `centres` says.
std::map<int, std::vector<Move>> Replay(const std::string& program, ArcCentres centres) {
    std::map<int, std::vector<Move>> parts;
    std::istringstream rows(program);
    std::string row;
    int part = -1;
    Point2 at;
    while (std::getline(rows, row)) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.starts_with("(------------------- ")) part = static_cast<int>(LenientParse(row.substr(21)));
        const auto words = SplitFields(row);
        if (part < 0 || words.size() < 5) continue;
        if (words[0] == "G0") {
            at = {LenientParse(words[2]), LenientParse(words[4])};
        } else if (words[0] == "G1") {
            const Point2 to{LenientParse(words[2]), LenientParse(words[4])};
            parts[part].push_back({at, to, {}, false});
            at = to;
        } else if (words[0] == "G2" || words[0] == "G3") {
            // "G2|G3 I i  J j X x Y y": the double blank makes an empty word.
            Point2 centre{LenientParse(words[2]), LenientParse(words[5])};
            if (centres == ArcCentres::Relative) centre = at + centre;
            const Point2 to{LenientParse(words[7]), LenientParse(words[9])};
            parts[part].push_back({at, to, centre, true});
            at = to;
        }
    }
    return parts;
}

Point2 Along(const Piece& piece, bool atStart) {
    if (!piece.arc) return piece.to - piece.from;
    const Point2 r = (atStart ? piece.from : piece.to) - piece.centre;
    return piece.ccw ? Point2{-r.y, r.x} : Point2{r.y, -r.x};
}

// Whether two directions agree: parallel and the same way.
bool SameWay(Point2 a, Point2 b) {
    const double na = std::sqrt(Dot(a, a)), nb = std::sqrt(Dot(b, b));
    return std::fabs(Cross(a, b)) <= 1e-9 * na * nb && Dot(a, b) > 0;
}

// How many contours of the program hold `p`, by the test's own sampling and even-odd rule: odd is material.
int Holding(const Program& program, Point2 p) {
    int holding = 0;
    for (int32_t i = 0; i < program.partCount; ++i) {
        std::vector<Point2> polygon;
        for (const Piece& piece : ContourPieces(program.partList[static_cast<size_t>(i)].Records())) {
            for (int k = 0; k < 64; ++k) polygon.push_back(piece.At(k / 64.0));
        }
        bool inside = false;
        for (size_t a = 0, b = polygon.size() - 1; a < polygon.size(); b = a++) {
            if ((polygon[a].y > p.y) != (polygon[b].y > p.y) &&
                p.x < (polygon[b].x - polygon[a].x) * (p.y - polygon[a].y) / (polygon[b].y - polygon[a].y) + polygon[a].x) {
                inside = !inside;
            }
        }
        holding += inside;
    }
    return holding;
}

// Points along pieces that start (`fromContour`) or end on a contour, the point on it left out.
void ExpectInScrap(const Program& program, const std::vector<Piece>& pieces, bool fromContour, const std::string& what) {
    for (const Piece& piece : pieces) {
        for (const double t : fromContour ? std::vector{0.25, 0.5, 0.75, 1.0} : std::vector{0.0, 0.25, 0.5, 0.75}) {
            EXPECT_EQ(Holding(program, piece.At(t)) % 2, 0) << what << " at " << t;
        }
    }
}

TEST(CutQuality, ShapesMeetTheContourAlongItStayInTheScrapAndAreWhatTheProgramCuts) {
    int arcs = 0, leadOuts = 0;
    for (const char* sample : kSamples) {
        for (const Style& style : kStyles) {
            SCOPED_TRACE(std::string(sample) + ", " + style.name);
            const Planned planned = Plan(sample, style, "linuxcnc", 1.5, false);
            const Program& program = *planned.program;
            const auto written = Replay(planned.job.programText, ArcCentres::Absolute);
            for (int32_t i = 0; i < program.partCount; ++i) {
                const std::string part = "part " + std::to_string(i);
                const std::vector<Piece> contour = ContourPieces(program.partList[static_cast<size_t>(i)].Records());
                const std::vector<Piece> leadIn = LeadInPieces(program, i);
                const CutFinish finish = FinishOf(program, i);
                if (leadIn.size() == 2) {  // an entry line, then an arc onto the start along the contour
                    ++arcs;
                    EXPECT_EQ(style.leadIn, LeadInStyle::Arc) << part;
                    EXPECT_TRUE(SameWay(Along(leadIn[0], false), Along(leadIn[1], true))) << part;
                    EXPECT_TRUE(SameWay(Along(leadIn[1], false), Along(contour.front(), true))) << part;
                    EXPECT_LT(Distance(leadIn[1].to, contour.front().from), 1e-9) << part;
                }
                ExpectInScrap(program, leadIn, false, part + " lead-in");
                ExpectInScrap(program, finish.leadOut, true, part + " lead-out");
                leadOuts += !finish.leadOut.empty();
                for (const Piece& piece : finish.overcut) {  // on the contour it has cut
                    double nearest = INFINITY;
                    for (const Piece& on : contour) nearest = std::min(nearest, DistanceToPiece(piece.At(0.5), on));
                    EXPECT_LT(nearest, 1e-9) << part << " overcut";
                }
                // The program cuts the lead-in first and the overcut and lead-out last, as planned.
                const std::vector<Move>& moves = written.at(i);
                std::vector<Piece> tail = finish.overcut;
                tail.insert(tail.end(), finish.leadOut.begin(), finish.leadOut.end());
                ASSERT_GE(moves.size(), leadIn.size() + tail.size()) << part;
                for (size_t k = 0; k < leadIn.size(); ++k) EXPECT_LT(Distance(moves[k].to, leadIn[k].to), 1e-6) << part;
                for (size_t k = 0; k < tail.size(); ++k) {
                    EXPECT_LT(Distance(moves[moves.size() - tail.size() + k].to, tail[k].to), 1e-6) << part;
                }
            }
        }
    }
    EXPECT_GT(arcs, 10);
    EXPECT_GT(leadOuts, 20);
}

TEST(CutQuality, Rs274RunsEveryStyleWithARealKerfAndWithTheKerfInTheProgram) {
    if (!testing::Rs274Path()) GTEST_SKIP() << "rs274 (linuxcnc-uspace) is not installed";
    int accepted = 0;
    for (const char* sample : kSamples) {
        for (const Style& style : kStyles) {
            for (const bool inProgram : {false, true}) {
                SCOPED_TRACE(std::string(sample) + ", " + style.name + (inProgram ? ", program" : ", controller"));
                const Planned planned = Plan(sample, style, "linuxcnc", 1.5, inProgram);
                const auto tool = testing::ToolForKerf(inProgram ? 0 : 1.5);
                for (const auto& [part, verdict] : testing::RunRs274OnProgram(planned.job.programText, tool)) {
                    // What the kerf check names, the controller refuses; everything else it runs.
                    EXPECT_EQ(verdict.accepted, !planned.job.kerf.Names(part))
                        << "part " << part << ": " << verdict.message << verdict.trouble;
                    accepted += verdict.accepted;
                }
            }
        }
    }
    EXPECT_GT(accepted, 50);
}

TEST(CutQuality, ArcCentresReadBackTheSameAbsoluteOrAsOffsetsFromTheStart) {
    int arcs = 0;
    for (const char* sample : kSamples) {
        for (const bool inProgram : {false, true}) {
            SCOPED_TRACE(std::string(sample) + (inProgram ? ", program" : ", controller"));
            const Style& style = kStyles[1];
            const auto absolute = Replay(Plan(sample, style, "linuxcnc", 1.5, inProgram).job.programText, ArcCentres::Absolute);
            const Planned offsets = Plan(sample, style, "grbl", 1.5, inProgram, ArcCentres::Relative);
            EXPECT_EQ(offsets.job.programText.find("G90.1"), std::string::npos);
            const auto relative = Replay(offsets.job.programText, ArcCentres::Relative);
            ASSERT_EQ(absolute.size(), relative.size());
            for (const auto& [part, moves] : relative) {
                ASSERT_EQ(moves.size(), absolute.at(part).size()) << "part " << part;
                for (size_t k = 0; k < moves.size(); ++k) {
                    if (!moves[k].arc) continue;
                    ++arcs;
                    const Move& m = moves[k];
                    EXPECT_NEAR(Distance(m.from, m.centre), Distance(m.to, m.centre), 2e-6) << "part " << part << " move " << k;
                    EXPECT_LT(Distance(m.centre, absolute.at(part)[k].centre), 1e-6) << "part " << part << " move " << k;
                }
            }
        }
    }
    EXPECT_GT(arcs, 100);
}

TEST(CutQuality, SmallHolesAreCutBetweenTheirFeedWordsAndTimedAtThatFeed) {
    struct Case {
        const char* preset;
        double share;  // of the feed; 0 for an F of its own
        const char* before;
        const char* after;
    };
    const Case cases[] = {{"linuxcnc", 0.6, "F900", "F1500"},
                          {"linuxcnc", 0, "F700", "F1500"},
                          {"qtplasmac", 0.5, "M67 E3 Q50", "M67 E3 Q100"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        Planned planned = Plan("plate_holes_slot", kStyles[0], c.preset, 0, false, ArcCentres::Absolute, 0);
        Program& p = *planned.program;
        // The plate's two round holes are 12 across: below 13 they are small, the slot is not.
        p.cutStyle.smallHoleDiameter = 13;
        p.cutStyle.smallHoleFeedIsShare = c.share > 0;
        p.cutStyle.smallHoleFeed = c.share > 0 ? c.share : 700;
        if (!p.cutStyle.feed) p.cutStyle.feed = 1500;
        WritePlannedJob(p, false, planned.job);
        int small = 0;
        for (const auto& [part, moves] : Replay(planned.job.programText, ArcCentres::Absolute)) {
            const std::string text = planned.job.programText;
            const size_t begin = text.find("(------------------- " + std::to_string(part) + " ");
            const size_t end = text.find("(-------------------", begin + 1);
            const std::string block = text.substr(begin, end - begin);
            const bool isSmall = IsSmallHole(p, part);
            small += isSmall;
            EXPECT_EQ(block.find(std::string("\r\n") + c.before + "\r\n") != std::string::npos, isSmall) << block;
            EXPECT_EQ(block.find(std::string("\r\n") + c.after + "\r\n") != std::string::npos, isSmall) << block;
        }
        EXPECT_EQ(small, 2);
        if (std::string(c.preset) == "linuxcnc") {
            const JobSummary summary = SummarizeJob(p, {});
            EXPECT_EQ(summary.smallHoles, 2);
            const double slow = c.share > 0 ? 1500 * c.share : 700;
            EXPECT_NEAR(*summary.minutes, (summary.cutLength - summary.smallHoleLength) / 1500 +
                                              summary.smallHoleLength / slow + summary.pierces * 0.5 / 60, 1e-9);
        }
    }
}

}  // namespace
}  // namespace zorvan
