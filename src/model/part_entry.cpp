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
    Trim();
    return *this;
}

void PartEntry::Trim() {
    if (text_.capacity() > text_.size() + text_.size() / 16 + 64) text_.shrink_to_fit();
    records_.ShrinkToFit();
}

const RecordList& PartEntry::Records() const {
    if (!read_) {
        records_.clear();
        ForEachRecord(PartFields(text_).records, [this](std::string_view record) { records_.emplace_back(record); });
        records_.ShrinkToFit();
        read_ = true;
    }
    return records_;
}

}  // namespace zorvan
