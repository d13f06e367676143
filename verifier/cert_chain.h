// Chain check of the built-in certificates.
#pragma once

#include "verifier/builtin_certificates.h"

// 0 when entry 0 chains to entry 1 at the current UTC time (a validity that
// has not begun yet is accepted); otherwise the failing mbed TLS result.
int VerifyCertificateChain(void);

// The same check over another table (tests).
int VerifyCertificateChainOf(const BuiltInCertificate* table);
