#include "decompose/MonomerSet.h"

#include <set>

#include "common/FileError.h"
#include "seqio/SequenceReader.h"

namespace horgrid {

std::vector<MonomerType> ReadMonomerSet(const std::string& path) {
    const auto bad = [&](const std::string& reason) {
        return FileError("bad monomers file '" + path + "': " + reason);
    };
    SequenceReader reader(path, SequenceReader::Names::Any);
    std::vector<MonomerType> types;
    std::set<std::string> names;
    SequenceRecord record;
    while (reader.Next(record)) {
        if (!record.name.empty() && record.name.back() == '\'') {
            throw bad("monomer name '" + Printable(record.name) +
                      "' ends in ', the mark of a reverse-complemented monomer in the results");
        }
        if (!names.insert(record.name).second)
            throw bad("two monomers named '" + Printable(record.name) + "'");
        types.push_back({record.name, record.sequence});
    }
    if (types.empty()) throw bad("no record");
    if (const std::string error = DecomposeLimitError(types, Scoring{}); !error.empty()) throw bad(error);
    return types;
}

}  // namespace horgrid
