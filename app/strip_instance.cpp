// Strip-packing instances.
#include "strip_instance.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace zorvan {

namespace {

using Json = nlohmann::json;

// Every whole degree: how "any angle" is searched.
std::vector<double> EveryDegree() {
    std::vector<double> angles;
    for (int degree = 0; degree < 360; ++degree) angles.push_back(degree);
    return angles;
}

std::string ReadItem(const Json& json, NestItem& item) {
    item.name = "item " + (json.contains("id") ? json["id"].dump() : std::string("?"));
    const Json& demand = json.value("demand", Json());
    if (!demand.is_number_integer() || demand.get<int64_t>() < 0 || demand.get<int64_t>() > kMostNestCopies) {
        return item.name + ": the demand is not a count from 0 to " + std::to_string(kMostNestCopies);
    }
    item.copies = demand.get<int32_t>();
    if (const auto angles = json.find("allowed_orientations"); angles != json.end() && !angles->is_null()) {
        if (!angles->is_array() || angles->empty()) return item.name + ": allowed_orientations is not a list of angles";
        item.angles.clear();
        for (const Json& angle : *angles) {
            if (!angle.is_number() || !std::isfinite(angle.get<double>())) return item.name + ": an orientation is not a number";
            item.angles.push_back(angle.get<double>());
        }
    } else {
        item.angles = EveryDegree();
    }
    const Json& shape = json.value("shape", Json());
    if (!shape.is_object() || shape.value("type", "") != "simple_polygon") return item.name + ": the shape is not a simple polygon";
    const Json& data = shape.value("data", Json());
    if (!data.is_array() || data.size() < 3 || data.size() > kMostRingPoints) {
        return item.name + ": the polygon does not have 3 to " + std::to_string(kMostRingPoints) + " points";
    }
    for (const Json& point : data) {
        if (!point.is_array() || point.size() != 2 || !point[0].is_number() || !point[1].is_number()) {
            return item.name + ": a point is not a pair of numbers";
        }
        item.shape.outline.push_back({point[0].get<double>(), point[1].get<double>()});
    }
    // Some polygons repeat their first point at the end.
    if (item.shape.outline.size() > 3 && item.shape.outline.front().x == item.shape.outline.back().x &&
        item.shape.outline.front().y == item.shape.outline.back().y) {
        item.shape.outline.pop_back();
    }
    return {};
}

StripInstance ReadInstance(std::string_view text) {
    StripInstance instance;
    const Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        instance.error = "not a JSON object";
        return instance;
    }
    instance.name = json.value("name", "");
    const Json& height = json.value("strip_height", Json());
    if (!height.is_number() || !(height.get<double>() > 0) || !std::isfinite(height.get<double>())) {
        instance.error = "strip_height is not a length above 0";
        return instance;
    }
    instance.job.strip = true;
    instance.job.sheetHeight = height.get<double>();
    const Json& items = json.value("items", Json());
    if (!items.is_array() || items.empty() || items.size() > static_cast<size_t>(kMostNestItems)) {
        instance.error = "items is not a list of 1 to " + std::to_string(kMostNestItems) + " items";
        return instance;
    }
    for (const Json& item : items) {
        NestItem read;
        if (!item.is_object()) {
            instance.error = "an item is not an object";
            return instance;
        }
        if (std::string error = ReadItem(item, read); !error.empty()) {
            instance.error = std::move(error);
            return instance;
        }
        instance.job.items.push_back(std::move(read));
    }
    return instance;
}

}  // namespace

StripInstance ReadStripInstance(std::string_view text) {
    try {
        return ReadInstance(text);
    } catch (const Json::exception&) {  // a field of the wrong type
        StripInstance instance;
        instance.error = "a field holds a value of the wrong type";
        return instance;
    }
}

}  // namespace zorvan
