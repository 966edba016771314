// Strip-packing instances read from their JSON: what a good one holds, and a message naming what a bad one
// gets wrong, never an exception.
#include <gtest/gtest.h>

#include "strip_instance.h"

namespace zorvan {
namespace {

std::string Instance(const std::string& item, const std::string& height = "100") {
    return R"({"name": "t", "strip_height": )" + height + R"(, "items": [)" + item + "]}";
}

const std::string kSquare = R"("shape": {"type": "simple_polygon", "data": [[0, 0], [4, 0], [4, 3], [0, 3], [0, 0]]})";

TEST(StripInstanceTest, AGoodInstanceIsAStripJob) {
    const StripInstance one = ReadStripInstance(Instance(R"({"id": 7, "demand": 3, "allowed_orientations": [0, 180], )" + kSquare + "}"));
    ASSERT_EQ(one.error, "");
    EXPECT_TRUE(one.job.strip);
    EXPECT_EQ(one.job.sheetHeight, 100);
    ASSERT_EQ(one.job.items.size(), 1u);
    EXPECT_EQ(one.job.items[0].name, "item 7");
    EXPECT_EQ(one.job.items[0].copies, 3);
    EXPECT_EQ(one.job.items[0].angles, (std::vector<double>{0, 180}));
    EXPECT_EQ(one.job.items[0].shape.outline.size(), 4u);  // the first point repeated at the end is dropped
    // Without allowed_orientations: any angle, by whole degrees.
    EXPECT_EQ(ReadStripInstance(Instance(R"({"id": 1, "demand": 1, )" + kSquare + "}")).job.items[0].angles.size(), 360u);
}

TEST(StripInstanceTest, ABadInstanceIsNamedNotThrown) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"[1, 2", "not a JSON object"},
        {Instance(R"({"id": 1, "demand": 1, )" + kSquare + "}", "-5"), "strip_height is not a length above 0"},
        {Instance(""), "items is not a list of 1 to 1000 items"},
        {Instance(R"({"id": 1, "demand": -1, )" + kSquare + "}"), "item 1: the demand is not a count from 0 to 5000"},
        {Instance(R"({"id": 1, "demand": 1, "allowed_orientations": ["up"], )" + kSquare + "}"), "item 1: an orientation is not a number"},
        {Instance(R"({"id": 1, "demand": 1, "shape": {"type": "simple_polygon", "data": [[0, 0], [1, 1]]}})"),
         "item 1: the polygon does not have 3 to 20000 points"},
        {Instance(R"({"id": 1, "demand": 1, "shape": {"type": "simple_polygon", "data": [[0, 0], [1, "a"], [1, 1]]}})"),
         "item 1: a point is not a pair of numbers"},
        {R"({"name": 5, "strip_height": 1, "items": []})", "a field holds a value of the wrong type"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadStripInstance(c.text).error, c.error) << c.text;
    }
}

}  // namespace
}  // namespace zorvan
