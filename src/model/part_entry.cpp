// Part entries.
#include "model/part_entry.h"

namespace zorvan {

PartFields::PartFields(std::string_view entry) {
    const size_t first = entry.find(':');
    header = entry.substr(0, first);
    if (first == std::string_view::npos) return;
    const size_t second = entry.find(':', first + 1);
    records = entry.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    if (second == std::string_view::npos) return;
    const size_t third = entry.find(':', second + 1);
    marks = entry.substr(second + 1, third == std::string_view::npos ? std::string_view::npos : third - second - 1);
}

PartEntry& PartEntry::operator=(std::string text) {
    if (read_ && PartFields(text).records != PartFields(text_).records) read_ = false;
    text_ = std::move(text);
    return *this;
}

const RecordList& PartEntry::Records() const {
    if (!read_) {
        records_.clear();
        ForEachRecord(PartFields(text_).records, [this](std::string_view record) { records_.emplace_back(record); });
        read_ = true;
    }
    return records_;
}

}  // namespace zorvan
