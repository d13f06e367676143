// Runs korvel-sim-* and reads its trace.
#pragma once

#include <string>
#include <vector>

#include "tests/support/process.h"

struct SimRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<std::string> trace;

    std::vector<std::string> Lines(const std::string& prefix) const;
    size_t Count(const std::string& prefix) const { return Lines(prefix).size(); }
    // Index of the first trace line starting with prefix at or after from; -1 if none.
    int Find(const std::string& prefix, size_t from = 0) const;
    bool Has(const std::string& line) const;
};

// model: "kt72m" or "rq35vw41".
SimRun RunSim(const std::string& model, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {});

std::string ImagePath(const std::string& name);   // a carried image of the build
std::string SignerKeyPath();
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
