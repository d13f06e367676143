// Runs a program and collects what it printed.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;       // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// env entries replace or add variables; an empty value removes one.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& cwd = "");

std::vector<std::string> ReadLines(const std::string& path);
std::string MakeTempDir(const std::string& tag);
void RemoveTree(const std::string& path);
std::vector<std::string> ListDir(const std::string& path);
