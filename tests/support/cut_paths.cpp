// G-code programs read back as cuts.
#include "support/cut_paths.h"

#include <cctype>
#include <map>
#include <numbers>
#include <sstream>

namespace zorvan::testing {
namespace {

// "X 1.5" and "X1.5" alike.
std::map<char, double> Words(const std::string& row) {
    std::map<char, double> words;
    std::istringstream in(row);
    std::string token;
    char pending = 0;
    while (in >> token) {
        if (pending != 0) {
            words[pending] = std::stod(token);
            pending = 0;
        } else if (token.size() == 1 && std::isalpha(static_cast<unsigned char>(token[0]))) {
            pending = token[0];
        } else if (std::isalpha(static_cast<unsigned char>(token[0]))) {
            words[token[0]] = std::stod(token.substr(1));
        }
    }
    return words;
}

void SampleArc(std::vector<Pt>& path, Pt centre, Pt end, bool ccw) {
    const Pt from = path.back();
    const double r = std::hypot(from.x - centre.x, from.y - centre.y);
    const double a0 = std::atan2(from.y - centre.y, from.x - centre.x);
    double sweep = std::atan2(end.y - centre.y, end.x - centre.x) - a0;
    if (ccw && sweep <= 1e-12) sweep += 2 * std::numbers::pi;
    if (!ccw && sweep >= -1e-12) sweep -= 2 * std::numbers::pi;
    constexpr int kSteps = 48;
    for (int k = 1; k < kSteps; ++k) {
        const double a = a0 + sweep * k / kSteps;
        path.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
    }
    path.push_back(end);
}

}  // namespace

std::vector<Cut> ParseCuts(const std::string& program) {
    std::vector<Cut> cuts;
    std::istringstream in(program);
    std::string row;
    bool leadingIn = false;
    while (std::getline(in, row)) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.starts_with("(---")) {
            cuts.emplace_back().part = std::stoi(row.substr(row.find_first_of("0123456789")));
            continue;
        }
        if (cuts.empty() || row.empty()) continue;
        Cut& cut = cuts.back();
        if (row == "G40" || row == "G41" || row == "G42") {
            if (row != "G40" || cut.path.empty()) cut.compensation = row;
            continue;
        }
        const auto w = Words(row);
        const Pt to{w.count('X') ? w.at('X') : 0, w.count('Y') ? w.at('Y') : 0};
        if (row.starts_with("G0 ")) {
            cut.pierce = to;
            leadingIn = cut.compensation != "G40";
            cut.path = {to};
        } else if (row.starts_with("G1 ") && leadingIn) {
            cut.leadIn = {cut.pierce, to};
            cut.path = {to};
            leadingIn = false;
        } else if (row.starts_with("G1 ")) {
            cut.path.push_back(to);
        } else if (row.starts_with("G2 ") || row.starts_with("G3 ")) {
            SampleArc(cut.path, {w.at('I'), w.at('J')}, to, row.starts_with("G3"));
        }
    }
    return cuts;
}

double SignedArea(const std::vector<Pt>& path) {
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

bool KerfInside(const Cut& cut) { return (SignedArea(cut.path) > 0) == (cut.compensation == "G41"); }

int Holding(const std::vector<Cut>& cuts, Pt p) {
    int count = 0;
    for (const Cut& cut : cuts) count += cut.Closed() && Inside(cut.path, p) ? 1 : 0;
    return count;
}

Pt KerfSide(const Cut& cut, double offset) {
    const Pt a = cut.path[0], b = cut.path[1];
    const double length = std::hypot(b.x - a.x, b.y - a.y), side = cut.compensation == "G41" ? 1 : -1;
    return {(a.x + b.x) / 2 - side * (b.y - a.y) / length * offset, (a.y + b.y) / 2 + side * (b.x - a.x) / length * offset};
}

}  // namespace zorvan::testing
