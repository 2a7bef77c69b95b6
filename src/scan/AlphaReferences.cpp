#include "scan/AlphaReferences.h"

#include "common/FileError.h"
#include "seqio/SequenceReader.h"

namespace horgrid {

std::vector<std::string> ReadAlphaReferences(const std::vector<std::string>& paths) {
    std::vector<std::string> references;
    for (const std::string& path : paths) {
        SequenceReader reader(path, SequenceReader::Names::Any);
        SequenceRecord record;
        const std::size_t before = references.size();
        while (reader.Next(record)) references.push_back(std::move(record.sequence));
        if (references.size() == before) throw FileError("bad reference file '" + path + "': no record");
    }
    return references;
}

}  // namespace horgrid
