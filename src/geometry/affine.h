// Maps of the plane that keep straight lines straight: x' = a x + b y + tx, y' = c x + d y + ty. Block
// insertions, object coordinate systems and unit conversions are such maps.
#pragma once

#include <cmath>

namespace zorvan {

struct Vector2 {
    double x = 0, y = 0;
};

struct Affine2 {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Affine2 Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine2 Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    // Counter-clockwise by `radians`.
    static Affine2 Rotation(double radians) {
        const double cosine = std::cos(radians), sine = std::sin(radians);
        return {cosine, -sine, sine, cosine, 0, 0};
    }

    Vector2 Apply(Vector2 p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
    // The map of a direction: the translation left out.
    Vector2 ApplyLinear(Vector2 v) const { return {a * v.x + b * v.y, c * v.x + d * v.y}; }
    // This map, then `next`.
    Affine2 Then(const Affine2& next) const {
        return {next.a * a + next.b * c, next.a * b + next.b * d, next.c * a + next.d * c, next.c * b + next.d * d,
                next.a * tx + next.b * ty + next.tx, next.c * tx + next.d * ty + next.ty};
    }
    double Determinant() const { return a * d - b * c; }
    // Whether the map turns a mirror image: it reverses the sense of every curve.
    bool Mirrors() const { return Determinant() < 0; }
    // Whether circles stay circles: the map is a rotation, a mirror and one scale for both directions.
    bool KeepsCircles() const {
        const double scale = std::fabs(a) + std::fabs(b) + std::fabs(c) + std::fabs(d);
        const double tolerance = 1e-12 * scale;
        return Mirrors() ? std::fabs(a + d) <= tolerance && std::fabs(b - c) <= tolerance
                         : std::fabs(a - d) <= tolerance && std::fabs(b + c) <= tolerance;
    }
    // The scale of a map that keeps circles.
    double Scale() const { return std::sqrt(std::fabs(Determinant())); }
    bool IsIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }
};

}  // namespace zorvan
