#include "ensemble/EnsembleReader.h"

#include "common/ResultFile.h"

namespace horgrid {

bool EnsembleReader::Next(alpha& record) {
    std::string_view line;
    if (!lines_.Next(line)) return false;
    record = alpha(line, 5);
    return true;
}

void StreamEnsembleToResult(const std::string& ensemblePath, const std::string& suffix,
                            const std::function<void(FILE*, const alpha&)>& writeRecord) {
    EnsembleReader reader(ensemblePath);
    ResultFile out(ensemblePath + suffix, {ensemblePath});
    alpha record;
    while (reader.Next(record)) writeRecord(out.get(), record);
    out.Commit();
}

}  // namespace horgrid
