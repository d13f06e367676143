#include "verifier/verify_image.h"

#include <cstdio>
#include <cstring>

#include <mbedtls/ecdsa.h>
#include <mbedtls/pk.h>
#include <mbedtls/sha256.h>
#include <mbedtls/x509_crt.h>

#include "verifier/builtin_certificates.h"
#include "verifier/cert_chain.h"
#include "verifier/result_codes.h"

constexpr size_t kPathBytes = 512;
constexpr size_t kReadPiece = 4096;
constexpr size_t kMaxSignature = 141;
constexpr size_t kFileBuffer = 65536;

// stdio's buffer under the 4096-byte pieces: 32 reads of the file instead of 512.
static char file_buffer[kFileBuffer];

uint16_t VerifyFirmwareImage(const char* prefix, const char* fw_name)
{
    uint16_t result = 0;
    FILE* file = nullptr;
    char fw_path_name[kPathBytes];
    unsigned char buf[kReadPiece];
    unsigned char hash[32];
    unsigned char sig[kMaxSignature];
    mbedtls_sha256_context sha256_ctx;
    mbedtls_x509_crt dm_crt;
    mbedtls_ecdsa_context* signing_key = nullptr;
    uint32_t body_length = 0;
    uint16_t sig_length = 0;
    size_t read_count = 0;

    memset(sig, 0, sizeof(sig));
    memset(buf, 0, sizeof(buf));
    memset(hash, 0, sizeof(hash));
    memset(fw_path_name, 0, sizeof(fw_path_name));
    mbedtls_x509_crt_init(&dm_crt);
    mbedtls_sha256_init(&sha256_ctx);

    if (fw_name == nullptr) {
        printf("### fw_name is NULL value.\n");
        result = ERR_NO_FW_NAME;
        goto cleanup;
    }

    fflush(stdout);
    if ((uint16_t)VerifyCertificateChain() != 0) {
        printf("### verification of the certificate(s) failed.\n");
        result = ERR_CERT_VERIFY;
        goto cleanup;
    }

    fflush(stdout);
    if ((uint16_t)mbedtls_x509_crt_parse(&dm_crt, (const unsigned char*)BuiltInCertificates[0].text,
                                         BuiltInCertificates[0].length) != 0 ||
        mbedtls_pk_get_type(&dm_crt.pk) != MBEDTLS_PK_ECKEY) {
        printf(" -> mbedtls_x509_crt_parse failed.\n");
        result = ERR_CERT_PARSE;
        goto cleanup;
    }
    signing_key = mbedtls_pk_ec(dm_crt.pk);

    fflush(stdout);
    // A path that does not fit is refused, never cut short to another file.
    if (strlen(prefix) + strlen(fw_name) >= kPathBytes) {
        printf("%s%s open error\n", prefix, fw_name);
        printf("%s open error\n", fw_name);
        result = ERR_FILE_OPEN;
        goto cleanup;
    }
    strcpy(fw_path_name, prefix);
    strcat(fw_path_name, fw_name);

    file = fopen(fw_path_name, "rb");
    if (file == nullptr) {
        printf("%s open error\n", fw_path_name);
        printf("%s open error\n", fw_name);
        result = ERR_FILE_OPEN;
        goto cleanup;
    }
    setvbuf(file, file_buffer, _IOFBF, sizeof(file_buffer));

    if (fread(buf, 1, 4, file) < 4) {
        printf("##%s read size error.\n", fw_name);
        result = ERR_FW_SIZE;
        goto cleanup;
    }
    body_length = ((uint32_t)buf[0] << 24) | ((uint32_t)buf[1] << 16) | ((uint32_t)buf[2] << 8) |
                  (uint32_t)buf[3];
    if (body_length == 0) {
        printf("##%s size info is zero.\n", fw_name);
        result = ERR_FW_SIZE;
        goto cleanup;
    }

    mbedtls_sha256_starts_ret(&sha256_ctx, 0);
    while (body_length > 0) {
        memset(buf, 0, sizeof(buf));
        read_count = fread(buf, 1, body_length < kReadPiece ? body_length : kReadPiece, file);
        if (read_count == 0)
            break;
        mbedtls_sha256_update_ret(&sha256_ctx, buf, read_count);
        body_length -= (uint32_t)read_count;
    }
    mbedtls_sha256_finish_ret(&sha256_ctx, hash);
    if (body_length > 0) {
        printf("##%s size is invalid.\n", fw_name);
        result = ERR_FW_SIZE;
        goto cleanup;
    }

    if (fread(sig, 1, 2, file) < 2) {
        printf("##Sig read size error.\n");
        result = ERR_SIG_SIZE;
        goto cleanup;
    }
    sig_length = (uint16_t)((sig[0] << 8) | sig[1]);
    if (sig_length == 0 || sig_length > kMaxSignature) {
        printf("##Sig size info is invalid[%d].\n", sig_length);
        result = ERR_SIG_SIZE;
        goto cleanup;
    }
    memset(sig, 0, sizeof(sig));
    // Missing signature bytes stay zero; the signature check decides.
    read_count = fread(sig, 1, sig_length, file);

    fflush(stdout);
    if ((uint16_t)mbedtls_ecdsa_read_signature(signing_key, hash, sizeof(hash), sig, sig_length) !=
        0)
        result = ERR_SIG_VERIFY;

cleanup:
    mbedtls_x509_crt_free(&dm_crt);
    mbedtls_sha256_free(&sha256_ctx);
    if (file != nullptr)
        fclose(file);
    return result;
}
