#include "model/cut_style.h"

#include <charconv>
#include <cmath>

#include "model/number_text.h"
#include "model/record_text.h"

namespace zorvan {

std::string_view StyleName(LeadInStyle style) { return style == LeadInStyle::Arc ? "arc" : "line"; }

std::string_view StyleName(LeadOutStyle style) {
    switch (style) {
        case LeadOutStyle::Line: return "line";
        case LeadOutStyle::Arc: return "arc";
        case LeadOutStyle::None: break;
    }
    return "none";
}

std::optional<LeadInStyle> LeadInStyleNamed(std::string_view name) {
    if (name == "line") return LeadInStyle::Line;
    if (name == "arc") return LeadInStyle::Arc;
    return std::nullopt;
}

std::optional<LeadOutStyle> LeadOutStyleNamed(std::string_view name) {
    if (name == "none") return LeadOutStyle::None;
    if (name == "line") return LeadOutStyle::Line;
    if (name == "arc") return LeadOutStyle::Arc;
    return std::nullopt;
}

std::optional<SmallHoleFeed> ParseSmallHoleFeed(std::string_view text) {
    const bool share = text.ends_with('%');
    if (share) text.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!(value > 0) || !std::isfinite(value) || (share && value > 100)) return std::nullopt;
    return SmallHoleFeed{share ? value / 100 : value, share};
}

std::string SmallHoleFeedText(double value, bool share) {
    return share ? DefaultNumber(value * 100) + "%" : DefaultNumber(value);
}

CutShape ReadCutShape(std::string_view header) {
    CutShape shape;
    const auto words = SplitFields(header);
    for (size_t k = 5; k + 1 < words.size(); ++k) {
        const double value = LenientParse(words[k + 1]);
        if (words[k] == "ARC") shape.arcRadius = value;
        else if (words[k] == "OVERCUT") shape.overcut = value;
        else if (words[k] == "LINEOUT" || words[k] == "ARCOUT") {
            shape.leadOut = value;
            shape.leadOutArc = words[k] == "ARCOUT";
        } else continue;
        ++k;
    }
    return shape;
}

std::string CutShapeWords(const CutShape& shape) {
    std::string words;
    if (shape.arcRadius > 0) words += " ARC " + DefaultNumber(shape.arcRadius);
    if (shape.overcut > 0) words += " OVERCUT " + DefaultNumber(shape.overcut);
    if (shape.leadOut > 0) words += (shape.leadOutArc ? " ARCOUT " : " LINEOUT ") + DefaultNumber(shape.leadOut);
    return words;
}

std::string WithCutShape(std::string_view header, const CutShape& shape) {
    const auto words = SplitFields(header);
    std::string text;
    for (size_t k = 0; k < 5; ++k) {
        if (k > 0) text += ' ';
        text += FieldAt(words, k);
    }
    return text + CutShapeWords(shape);
}

}  // namespace zorvan
