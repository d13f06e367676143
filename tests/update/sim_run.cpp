#include "tests/update/sim_run.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

std::vector<std::string> SimRun::Lines(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& l : trace)
        if (l.rfind(prefix, 0) == 0)
            out.push_back(l);
    return out;
}

int SimRun::Find(const std::string& prefix, size_t from) const
{
    for (size_t i = from; i < trace.size(); i++)
        if (trace[i].rfind(prefix, 0) == 0)
            return (int)i;
    return -1;
}

bool SimRun::Has(const std::string& line) const
{
    for (const std::string& l : trace)
        if (l == line)
            return true;
    return false;
}

SimRun RunSim(const std::string& model, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env)
{
    static int serial = 0;
    std::string traceFile = std::string(KORVEL_TEST_TMP) + "/trace-" + std::to_string(getpid()) +
                            "-" + std::to_string(serial++) + ".txt";
    std::vector<std::string> argv = {std::string(KORVEL_BUILD_DIR) + "/korvel-sim-" + model,
                                     "--trace", traceFile};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessResult p = RunProcess(argv, env);
    SimRun run;
    run.exitCode = p.exitCode;
    run.out = p.out;
    run.err = p.err;
    run.trace = ReadLines(traceFile);
    unlink(traceFile.c_str());
    return run;
}

std::string ImagePath(const std::string& name)
{
    return std::string(KORVEL_BUILD_DIR) + "/images/" + name;
}

std::string SignerKeyPath()
{
    return std::string(KORVEL_PKI_DIR) + "/signer.key";
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}
