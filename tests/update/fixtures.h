// Images the update tests need beyond the carried ones, made once per run.
#pragma once

#include <string>

struct UpdateFixtures {
    std::string dir;
    std::string corruptA101;      // carried A/101 with one body byte changed
    std::string genuineB101Rev;   // genuine signed image for B carrying "1.01"
    std::string shortGenuineA;    // genuine container of 0x200001..0x200003 bytes, KT12
};

const UpdateFixtures& Fixtures();
