#include "seqio/RecordSource.h"

#include <fstream>
#include <utility>

namespace horgrid {

bool IsSequenceFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char first[2] = {0, 0};
    if (!in.read(first, 2)) return false;
    return first[0] == '>' || first[0] == '@' || (first[0] == '\x1f' && first[1] == '\x8b');
}

RecordSource::RecordSource(const RecordInput& input) : path_(input.path) {
    if (input.region.empty()) {
        reader_ = std::make_unique<SequenceReader>(input.path);
    } else {
        region_ = std::make_unique<RegionRecord>(ReadRegion(input.path, input.region));
    }
}

RecordSource::~RecordSource() = default;

bool RecordSource::Next(SourceRecord& record) {
    if (region_) {
        if (served_ > 0) return false;
        record.record = std::move(region_->record);
        record.offset = region_->offset;
    } else {
        if (!reader_->Next(record.record)) return false;
        record.offset = 0;
    }
    record.number = ++served_;
    return true;
}

}  // namespace horgrid
