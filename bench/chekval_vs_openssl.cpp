// Whole-process time of chekval against `openssl dgst -sha256 -verify` on the
// same body, key and signature, and where chekval's time goes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <mbedtls/ecdsa.h>
#include <mbedtls/sha256.h>
#include <mbedtls/x509_crt.h>

#include "tests/support/process.h"
#include "tools/fwsign/fwsign_lib.h"
#include "verifier/builtin_certificates.h"
#include "verifier/cert_chain.h"

using Clock = std::chrono::steady_clock;

static double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename F>
static double Median(int runs, F f)
{
    std::vector<double> t;
    for (int i = 0; i < runs; i++) {
        auto start = Clock::now();
        f();
        t.push_back(Ms(Clock::now() - start));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: chekval_vs_openssl CHEKVAL IMAGE WORKDIR\n");
        return 2;
    }
    std::string chekval = argv[1], image = argv[2], work = argv[3];
    fwsign::Bytes container;
    if (!fwsign::ReadFile(image, &container))
        return 1;
    fwsign::ContainerView v = fwsign::InspectContainer(container);
    fwsign::Bytes body(container.begin() + 4, container.begin() + 4 + v.bodyLength);
    fwsign::Bytes sig(container.begin() + 6 + v.bodyLength,
                      container.begin() + 6 + v.bodyLength + v.signatureLength);
    fwsign::WriteFile(work + "/body.bin", body);
    fwsign::WriteFile(work + "/sig.der", sig);
    std::string cert(BuiltInCertificates[0].text);
    fwsign::WriteFile(work + "/signer.crt", fwsign::Bytes(cert.begin(), cert.end()));
    RunProcess({"sh", "-c", "openssl x509 -in " + work + "/signer.crt -pubkey -noout > " + work +
                                "/signer.pub"});

    const int runs = 41;
    ProcessResult check = RunProcess({chekval, image});
    ProcessResult ocheck = RunProcess({"openssl", "dgst", "-sha256", "-verify", work + "/signer.pub",
                                       "-signature", work + "/sig.der", work + "/body.bin"});
    if (check.exitCode != 0 || ocheck.exitCode != 0) {
        fprintf(stderr, "a verifier refused the image: chekval %d, openssl %d %s\n", check.exitCode,
                ocheck.exitCode, ocheck.err.c_str());
        return 1;
    }
    double tChekval = Median(runs, [&] { RunProcess({chekval, image}); });
    double tOpenssl = Median(runs, [&] {
        RunProcess({"openssl", "dgst", "-sha256", "-verify", work + "/signer.pub", "-signature",
                    work + "/sig.der", work + "/body.bin"});
    });
    double tTrue = Median(runs, [&] { RunProcess({"/bin/true"}); });

    // chekval's parts, in this process.
    double tRead = Median(runs, [&] {
        FILE* f = fopen(image.c_str(), "rb");
        unsigned char buf[4096];
        while (fread(buf, 1, sizeof(buf), f) > 0) {
        }
        fclose(f);
    });
    double tHash = Median(runs, [&] {
        unsigned char hash[32];
        mbedtls_sha256_ret(body.data(), body.size(), hash, 0);
    });
    double tChain = Median(runs, [&] { VerifyCertificateChain(); });
    mbedtls_x509_crt crt;
    mbedtls_x509_crt_init(&crt);
    mbedtls_x509_crt_parse(&crt, (const unsigned char*)BuiltInCertificates[0].text,
                           BuiltInCertificates[0].length);
    unsigned char hash[32];
    mbedtls_sha256_ret(body.data(), body.size(), hash, 0);
    double tVerify = Median(runs, [&] {
        mbedtls_ecdsa_read_signature(mbedtls_pk_ec(crt.pk), hash, 32, sig.data(), sig.size());
    });
    mbedtls_x509_crt_free(&crt);

    printf("whole process (median of %d, ms): chekval %.2f, openssl dgst -verify %.2f, "
           "/bin/true %.2f\n", runs, tChekval, tOpenssl, tTrue);
    printf("ratio chekval / openssl: %.2f\n", tChekval / tOpenssl);
    printf("chekval's parts (ms): read %.2f, sha-256 %.2f, chain check %.2f, ecdsa verify %.2f, "
           "process and rest %.2f\n", tRead, tHash, tChain, tVerify,
           tChekval - tRead - tHash - tChain - tVerify);
    return 0;
}
