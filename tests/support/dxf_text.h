// Builds DXF text in memory for tests: an ENTITIES section of the pairs added, then ENDSEC and EOF.
#pragma once

#include <charconv>
#include <string>
#include <utility>
#include <vector>

namespace zorvan::testing {

struct Vertex {
    double x, y, bulge = 0;
};

class DxfText {
public:
    DxfText& Pair(std::string code, std::string value) {
        pairs_.emplace_back(std::move(code), std::move(value));
        return *this;
    }
    DxfText& Line(double x1, double y1, double x2, double y2, const std::string& layer = "0") {
        return Pair("0", "LINE").Pair("8", layer).Num("10", x1).Num("20", y1).Num("30", 0).Num("11", x2).Num(
            "21", y2).Num("31", 0);
    }
    DxfText& Circle(double cx, double cy, double r, const std::string& layer = "0") {
        return Pair("0", "CIRCLE").Pair("8", layer).Num("10", cx).Num("20", cy).Num("40", r);
    }
    DxfText& Arc(double cx, double cy, double r, double startDeg, double endDeg) {
        return Pair("0", "ARC").Pair("8", "0").Num("10", cx).Num("20", cy).Num("40", r).Num("50", startDeg).Num(
            "51", endDeg);
    }
    DxfText& LwPolyline(const std::vector<Vertex>& vertices) {
        Pair("0", "LWPOLYLINE").Pair("8", "0").Pair("90", std::to_string(vertices.size())).Pair("70", "1");
        for (const Vertex& v : vertices) {
            Num("10", v.x).Num("20", v.y);
            if (v.bulge != 0) Num("42", v.bulge);
        }
        return *this;
    }
    // An old-style POLYLINE with its own point at (0, 0, elevation) and VERTEX entities, closed by SEQEND.
    DxfText& Polyline(const std::vector<Vertex>& vertices, double elevation = 0) {
        Pair("0", "POLYLINE").Pair("8", "0").Pair("66", "1").Num("10", 0).Num("20", 0).Num("30", elevation);
        for (const Vertex& v : vertices) {
            Pair("0", "VERTEX").Pair("8", "0").Num("10", v.x).Num("20", v.y).Num("30", elevation);
            if (v.bulge != 0) Num("42", v.bulge);
        }
        return Pair("0", "SEQEND");
    }
    DxfText& Num(std::string code, double value) {
        return Pair(std::move(code), Shortest(value));
    }

    // The whole file: "0 SECTION 2 ENTITIES", the pairs, "0 ENDSEC", "0 EOF", each line ended by `eol`.
    std::string Build(const std::string& eol = "\r\n", bool withEof = true) const {
        std::string text = Section("ENTITIES", eol);
        if (withEof) text += "  0" + eol + "EOF" + eol;
        return text;
    }

    // The pairs as a section of the given name, without EOF, so that several sections make one file.
    std::string Section(const std::string& name, const std::string& eol = "\r\n") const {
        std::string text = "  0" + eol + "SECTION" + eol + "  2" + eol + name + eol;
        for (const auto& [code, value] : pairs_) text += code + eol + value + eol;
        return text + "  0" + eol + "ENDSEC" + eol;
    }

private:
    static std::string Shortest(double value) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);  // shortest exact text
        return std::string(buffer, result.ptr);
    }

    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace zorvan::testing
