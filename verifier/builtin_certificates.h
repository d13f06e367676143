// The verifier's trust anchors, compiled in: entry 0 the signing certificate,
// entry 1 the root CA, each PEM text with CRLF line ends and a terminating
// zero that the length counts (mbed TLS needs it to recognise PEM).
#pragma once

#include <cstddef>

struct BuiltInCertificate {
    const char* text;
    size_t length;
};

extern const BuiltInCertificate BuiltInCertificates[2];
