// chekval's result codes; the result is the program's exit code.
#pragma once

#include <cstdint>

enum : uint16_t {
    ERR_NO_FW_NAME = 0xF001,
    ERR_CERT_VERIFY = 0xF002,
    ERR_CERT_PARSE = 0xF003,
    ERR_FILE_OPEN = 0xF005,
    ERR_FW_SIZE = 0xF006,
    ERR_SIG_SIZE = 0xF007,
    ERR_SIG_VERIFY = 0xF008,
};
