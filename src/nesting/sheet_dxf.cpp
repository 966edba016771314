// The nested sheet's DXF drawing.
#include "nesting/sheet_dxf.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <set>

namespace zorvan {

namespace {

constexpr const char* kSheetLayer = "SHEET";

// The shortest text that reads back as `value`; a value a speck from 0 is 0, so that turned copies do not
// write "6.123233995736766e-17".
std::string Number(double value) {
    if (std::fabs(value) < 1e-12) value = 0;
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : "0";
}

class DxfText {
public:
    void Pair(int code, const std::string& value) {
        std::string codeText = std::to_string(code);
        text_ += std::string(codeText.size() < 3 ? 3 - codeText.size() : 0, ' ') + codeText + "\r\n" + value + "\r\n";
    }
    void Pair(int code, double value) { Pair(code, Number(value)); }
    void Point(int code, Point2 p) {
        Pair(code, p.x);
        Pair(code + 10, p.y);
        Pair(code + 20, 0.0);
    }
    void Line(const std::string& layer, Point2 a, Point2 b) {
        Pair(0, "LINE");
        Pair(8, layer);
        Point(10, a);
        Point(11, b);
    }
    void Circle(const std::string& layer, Point2 centre, double r) {
        Pair(0, "CIRCLE");
        Pair(8, layer);
        Point(10, centre);
        Pair(40, r);
    }
    // Counter-clockwise from `from` to `to`, in degrees.
    void Arc(const std::string& layer, Point2 centre, double r, double from, double to) {
        Pair(0, "ARC");
        Pair(8, layer);
        Point(10, centre);
        Pair(40, r);
        Pair(50, from);
        Pair(51, to);
    }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

void Layer(DxfText& dxf, const std::string& name, int colour) {
    dxf.Pair(0, "LAYER");
    dxf.Pair(2, name);
    dxf.Pair(70, "0");
    dxf.Pair(62, std::to_string(colour));
    dxf.Pair(6, "CONTINUOUS");
}

void Header(DxfText& dxf, const SheetDrawing& sheet) {
    dxf.Pair(0, "SECTION");
    dxf.Pair(2, "HEADER");
    dxf.Pair(9, "$ACADVER");
    dxf.Pair(1, "AC1009");
    // Read by every reader that knows units, left alone by those that do not.
    const int units = sheet.units == "millimetres" ? 4 : sheet.units == "inches" ? 1 : 0;
    if (units != 0) {
        dxf.Pair(9, "$INSUNITS");
        dxf.Pair(70, std::to_string(units));
    }
    dxf.Pair(9, "$EXTMIN");
    dxf.Point(10, {0, 0});
    dxf.Pair(9, "$EXTMAX");
    dxf.Point(10, {sheet.width, sheet.height});
    dxf.Pair(0, "ENDSEC");
}

void Tables(DxfText& dxf, const SheetDrawing& sheet) {
    dxf.Pair(0, "SECTION");
    dxf.Pair(2, "TABLES");
    dxf.Pair(0, "TABLE");
    dxf.Pair(2, "LTYPE");
    dxf.Pair(70, "1");
    dxf.Pair(0, "LTYPE");
    dxf.Pair(2, "CONTINUOUS");
    dxf.Pair(70, "0");
    dxf.Pair(3, "Solid line");
    dxf.Pair(72, "65");
    dxf.Pair(73, "0");
    dxf.Pair(40, "0.0");
    dxf.Pair(0, "ENDTAB");
    dxf.Pair(0, "TABLE");
    dxf.Pair(2, "LAYER");
    dxf.Pair(70, std::to_string(sheet.layers.size() + 2));
    Layer(dxf, "0", 7);
    // A negative colour switches the layer off.
    if (sheet.outline) Layer(dxf, kSheetLayer, -8);
    for (size_t k = 0; k < sheet.layers.size(); ++k) Layer(dxf, sheet.layers[k], 1 + static_cast<int>(k % 6));
    dxf.Pair(0, "ENDTAB");
    dxf.Pair(0, "ENDSEC");
}

// Degrees counter-clockwise from the x axis to `p` seen from `centre`, 0 up to 360, with the program's PI.
double Degrees(Point2 centre, Point2 p, double PI) {
    double degrees = std::atan2(p.y - centre.y, p.x - centre.x) * 180 / PI;
    if (degrees < 0) degrees += 360;
    return degrees >= 360 ? degrees - 360 : degrees;
}

void Record(DxfText& dxf, const std::string& layer, const RecordValues& record, const Placement& placement, double PI) {
    const auto at = [&](double x, double y) { return PlacePoint(placement, {x, y}); };
    switch (record.kind()) {
        case RecordKind::Line: {
            const LineValues line = record.Line();
            dxf.Line(layer, at(line.x1, line.y1), at(line.x2, line.y2));
            return;
        }
        case RecordKind::Circle: {
            const CircleValues circle = record.Circle();
            dxf.Circle(layer, at(circle.cx, circle.cy), circle.r);
            return;
        }
        case RecordKind::Arc: {
            const ArcValues arc = record.Arc();
            const Point2 centre = at(arc.cx, arc.cy), start = at(arc.x1, arc.y1), end = at(arc.x2, arc.y2);
            if (arc.x1 == arc.x2 && arc.y1 == arc.y2) return dxf.Circle(layer, centre, arc.r);  // a whole turn
            // A mirror turns the sense of every arc.
            const bool counterClockwise = (arc.sense != '-') != placement.mirrored;
            const double from = Degrees(centre, counterClockwise ? start : end, PI);
            const double to = Degrees(centre, counterClockwise ? end : start, PI);
            dxf.Arc(layer, centre, arc.r, from, to);
            return;
        }
        case RecordKind::None: return;
    }
}

}  // namespace

std::string NestedSheetDxf(const SheetDrawing& sheet, const std::vector<SheetCopy>& copies, double PI) {
    DxfText dxf;
    Header(dxf, sheet);
    Tables(dxf, sheet);
    dxf.Pair(0, "SECTION");
    dxf.Pair(2, "ENTITIES");
    if (sheet.outline) {
        const Point2 corners[] = {{0, 0}, {sheet.width, 0}, {sheet.width, sheet.height}, {0, sheet.height}};
        for (size_t k = 0; k < 4; ++k) dxf.Line(kSheetLayer, corners[k], corners[(k + 1) % 4]);
    }
    for (const SheetCopy& copy : copies) {
        const std::string& layer = copy.layer < sheet.layers.size() ? sheet.layers[copy.layer] : "0";
        for (const RecordList& contour : *copy.contours) {
            for (const RecordValues& record : contour) Record(dxf, layer, record, copy.placement, PI);
        }
    }
    dxf.Pair(0, "ENDSEC");
    dxf.Pair(0, "EOF");
    return dxf.Take();
}

std::vector<std::string> LayerNames(const std::vector<std::string>& drawings) {
    std::vector<std::string> names;
    std::set<std::string> taken = {"0", kSheetLayer};
    for (const std::string& drawing : drawings) {
        std::string stem = drawing.substr(drawing.find_last_of("/\\") == std::string::npos ? 0 : drawing.find_last_of("/\\") + 1);
        if (const size_t dot = stem.find_last_of('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
        std::string name;
        for (const char c : stem) {
            const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '$';
            name += allowed ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : '_';
        }
        if (name.empty()) name = "PARTS";
        name.resize(std::min<size_t>(name.size(), 27));
        std::string unique = name;
        for (int k = 2; taken.count(unique) > 0; ++k) unique = name + "_" + std::to_string(k);
        taken.insert(unique);
        names.push_back(unique);
    }
    return names;
}

}  // namespace zorvan
