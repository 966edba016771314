// How the torch enters and leaves each cut, and how small holes are cut: the operator's settings, and the
// shape words a part's header carries once its lead-in and lead-out are worked out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

enum class LeadInStyle { Line, Arc };
enum class ArcCentres { Absolute, Relative };
enum class LeadOutStyle { None, Line, Arc };

// The operator's choices. Nothing here changes a program until it is set: lines for lead-ins, no overcut, no
// lead-out, no small holes.
struct CutStyle {
    LeadInStyle outline = LeadInStyle::Line;  // the lead-in of an outside cut
    LeadInStyle hole = LeadInStyle::Line;     // the lead-in of a hole
    // An arc lead-in's radius; 0: half the lead-in length. The straight entry before it is half the lead-in.
    double arcRadius = 0;
    double overcut = 0;  // how far the cut runs on along the contour past its start
    LeadOutStyle leadOut = LeadOutStyle::None;
    double leadOutLength = 0;  // a line lead-out's length, an arc lead-out's radius
    // Holes whose diameter (a circle's, or the larger side of their box) is below this are small: 0, none.
    double smallHoleDiameter = 0;
    // A small hole's feed: a share of the cutting feed (0.6 is 60%) or, when `smallHoleFeedIsShare` is false,
    // an F value of its own.
    double smallHoleFeed = 0.6;
    bool smallHoleFeedIsShare = true;
    // The cutting feed the program runs at, where known (the templates' F word or the operator's): small
    // holes go back to it.
    std::optional<double> feed;

    bool HasFinish() const { return overcut > 0 || leadOut != LeadOutStyle::None; }
    friend bool operator==(const CutStyle&, const CutStyle&) = default;
};

// "line", "arc", "none" and back; nothing for another word.
std::string_view StyleName(LeadInStyle style);
std::string_view StyleName(LeadOutStyle style);
std::optional<LeadInStyle> LeadInStyleNamed(std::string_view name);
std::optional<LeadOutStyle> LeadOutStyleNamed(std::string_view name);

// A small-hole feed as the operator writes it: "60%" (a share of the feed) or "900" (an F value). Nothing for
// text that is neither, a share not above 0% or above 100%, or an F not above 0 or not finite ("inf").
struct SmallHoleFeed {
    double value = 0;
    bool share = true;
};
std::optional<SmallHoleFeed> ParseSmallHoleFeed(std::string_view text);
std::string SmallHoleFeedText(double value, bool share);

// The shape words after a header's five fields: "ARC r" (the lead-in ends in a quarter arc of radius r onto
// the start), "OVERCUT o" (the cut runs o past its start), "LINEOUT l" or "ARCOUT r" (it leaves the contour
// by a line of length l or a quarter arc of radius r). A header without them has a straight lead-in and stops
// where it began.
struct CutShape {
    double arcRadius = 0;
    double overcut = 0;
    double leadOut = 0;
    bool leadOutArc = false;
    bool Plain() const { return arcRadius <= 0 && overcut <= 0 && leadOut <= 0; }
};
CutShape ReadCutShape(std::string_view header);
// The words of `shape`, each with a space before it; empty for a plain shape.
std::string CutShapeWords(const CutShape& shape);
// The header's first five fields as they are, with `shape`'s words after them.
std::string WithCutShape(std::string_view header, const CutShape& shape);

}  // namespace zorvan
