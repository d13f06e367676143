#include "tools/fwsign/fwsign_lib.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <mbedtls/asn1write.h>
#include <mbedtls/base64.h>
#include <mbedtls/ctr_drbg.h>
#include <mbedtls/ecdsa.h>
#include <mbedtls/entropy.h>
#include <mbedtls/md.h>
#include <mbedtls/oid.h>
#include <mbedtls/pk.h>
#include <mbedtls/sha256.h>
#include <mbedtls/x509_crt.h>

#include "tools/common/test_firmware.h"

namespace fwsign {

namespace {

// Random numbers for key generation and ECDSA blinding; signatures stay
// deterministic (RFC 6979) whatever it returns.
struct Random {
    mbedtls_entropy_context entropy;
    mbedtls_ctr_drbg_context drbg;
    int ret;
    Random()
    {
        mbedtls_entropy_init(&entropy);
        mbedtls_ctr_drbg_init(&drbg);
        const char* personal = "fwsign";
        ret = mbedtls_ctr_drbg_seed(&drbg, mbedtls_entropy_func, &entropy,
                                    reinterpret_cast<const unsigned char*>(personal),
                                    strlen(personal));
    }
    ~Random()
    {
        mbedtls_ctr_drbg_free(&drbg);
        mbedtls_entropy_free(&entropy);
    }
};

struct Pk {
    mbedtls_pk_context ctx;
    Pk() { mbedtls_pk_init(&ctx); }
    ~Pk() { mbedtls_pk_free(&ctx); }
};

std::string MbedError(const char* what, int ret)
{
    char text[160];
    snprintf(text, sizeof(text), "%s failed: -0x%04x", what, (unsigned)-ret);
    return text;
}

bool ParseKey(const std::string& pem, Pk* key, std::string* error)
{
    int ret = mbedtls_pk_parse_key(&key->ctx, reinterpret_cast<const unsigned char*>(pem.c_str()),
                                   pem.size() + 1, nullptr, 0);
    if (ret != 0) {
        *error = MbedError("mbedtls_pk_parse_key", ret);
        return false;
    }
    return true;
}

std::string DerToPem(const unsigned char* der, size_t length)
{
    size_t needed = 0;
    mbedtls_base64_encode(nullptr, 0, &needed, der, length);
    std::string b64(needed, '\0');
    mbedtls_base64_encode(reinterpret_cast<unsigned char*>(&b64[0]), needed, &needed, der, length);
    b64.resize(needed);
    std::string pem = "-----BEGIN CERTIFICATE-----\r\n";
    for (size_t i = 0; i < b64.size(); i += 64)
        pem += b64.substr(i, 64) + "\r\n";
    pem += "-----END CERTIFICATE-----\r\n";
    return pem;
}

void Sha256(const uint8_t* data, size_t length, unsigned char hash[32])
{
    mbedtls_sha256_ret(data, length, hash, 0);
}

// DER length octets for n.
void PutLength(Bytes* out, size_t n)
{
    if (n < 0x80) {
        out->push_back((uint8_t)n);
    } else if (n < 0x100) {
        out->push_back(0x81);
        out->push_back((uint8_t)n);
    } else {
        out->push_back(0x82);
        out->push_back((uint8_t)(n >> 8));
        out->push_back((uint8_t)n);
    }
}

void PutTlv(Bytes* out, uint8_t tag, const Bytes& content)
{
    out->push_back(tag);
    PutLength(out, content.size());
    out->insert(out->end(), content.begin(), content.end());
}

// Reads one TLV at *pos; content goes to [*start, *start + *length).
bool ReadTlv(const Bytes& der, size_t* pos, uint8_t* tag, size_t* start, size_t* length)
{
    if (*pos + 2 > der.size())
        return false;
    *tag = der[*pos];
    size_t p = *pos + 1;
    size_t n = der[p++];
    if (n & 0x80) {
        size_t count = n & 0x7F;
        if (count == 0 || count > 2 || p + count > der.size())
            return false;
        n = 0;
        for (size_t i = 0; i < count; i++)
            n = (n << 8) | der[p++];
    }
    if (p + n > der.size())
        return false;
    *start = p;
    *length = n;
    *pos = p + n;
    return true;
}

// mbed TLS 2.28 writes ecdsa-with-SHA* AlgorithmIdentifiers with a NULL
// parameter, which RFC 5758 forbids. Rebuild the certificate with the
// parameter absent and sign the new TBS with the issuer's key.
bool DropEcdsaNullParameters(const Bytes& der, mbedtls_pk_context* issuerKey, bool sha1,
                             Random* random, Bytes* out, std::string* error)
{
    size_t pos = 0, start = 0, length = 0;
    uint8_t tag = 0;
    if (!ReadTlv(der, &pos, &tag, &start, &length) || tag != 0x30) {
        *error = "certificate is not a SEQUENCE";
        return false;
    }
    pos = start;
    size_t tbsStart = 0, tbsLength = 0;
    if (!ReadTlv(der, &pos, &tag, &tbsStart, &tbsLength) || tag != 0x30) {
        *error = "no TBSCertificate";
        return false;
    }
    const uint8_t oidSha256[] = {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x04, 0x03, 0x02};
    const uint8_t oidSha1[] = {0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x04, 0x01};
    Bytes algorithm;
    if (sha1)
        PutTlv(&algorithm, 0x30, Bytes(oidSha1, oidSha1 + sizeof(oidSha1)));
    else
        PutTlv(&algorithm, 0x30, Bytes(oidSha256, oidSha256 + sizeof(oidSha256)));

    // Walk the TBS fields; the signature AlgorithmIdentifier is the one after
    // the version and the serial.
    Bytes tbsContent;
    size_t field = tbsStart;
    int index = 0;
    while (field < tbsStart + tbsLength) {
        size_t fieldStart = field, cStart = 0, cLength = 0;
        if (!ReadTlv(der, &field, &tag, &cStart, &cLength)) {
            *error = "malformed TBSCertificate";
            return false;
        }
        if (index == 2)
            tbsContent.insert(tbsContent.end(), algorithm.begin(), algorithm.end());
        else
            tbsContent.insert(tbsContent.end(), der.begin() + fieldStart, der.begin() + field);
        index++;
    }
    Bytes tbs;
    PutTlv(&tbs, 0x30, tbsContent);

    mbedtls_md_type_t md = sha1 ? MBEDTLS_MD_SHA1 : MBEDTLS_MD_SHA256;
    unsigned char hash[32];
    mbedtls_md(mbedtls_md_info_from_type(md), tbs.data(), tbs.size(), hash);
    unsigned char sig[MBEDTLS_ECDSA_MAX_LEN];
    size_t sigLength = 0;
    int ret = mbedtls_ecdsa_write_signature(mbedtls_pk_ec(*issuerKey), md, hash,
                                            mbedtls_md_get_size(mbedtls_md_info_from_type(md)),
                                            sig, &sigLength, mbedtls_ctr_drbg_random,
                                            &random->drbg);
    if (ret != 0) {
        *error = MbedError("certificate signature", ret);
        return false;
    }
    Bytes bitString = {0x00};
    bitString.insert(bitString.end(), sig, sig + sigLength);
    Bytes certContent = tbs;
    certContent.insert(certContent.end(), algorithm.begin(), algorithm.end());
    PutTlv(&certContent, 0x03, bitString);
    out->clear();
    PutTlv(out, 0x30, certContent);
    return true;
}

}  // namespace

CertificateSpec SigningCertificateSpec()
{
    CertificateSpec s;
    s.subject = "CN=TVNK-DEFAULT_MNFR-ODD_DM";
    s.issuer = "C=KR,O=TVNK,CN=ROOT-CA-ECP256";
    s.serial = 1;
    s.notBefore = "20180212063237";
    s.notAfter = "20311022063237";
    s.isCa = false;
    s.keyUsage = MBEDTLS_X509_KU_DIGITAL_SIGNATURE | MBEDTLS_X509_KU_NON_REPUDIATION;
    s.codeSigning = true;
    return s;
}

CertificateSpec RootCertificateSpec()
{
    CertificateSpec s;
    s.subject = "C=KR,O=TVNK,CN=ROOT-CA-ECP256";
    s.issuer = s.subject;
    s.serial = 2;
    s.notBefore = "20180212063137";
    s.notAfter = "20721115063137";
    s.isCa = true;
    s.keyUsage = MBEDTLS_X509_KU_KEY_CERT_SIGN;
    s.codeSigning = false;
    return s;
}

bool GenerateKey(std::string* pem, std::string* error)
{
    Random random;
    Pk key;
    int ret = random.ret;
    if (ret == 0)
        ret = mbedtls_pk_setup(&key.ctx, mbedtls_pk_info_from_type(MBEDTLS_PK_ECKEY));
    if (ret == 0)
        ret = mbedtls_ecp_gen_key(MBEDTLS_ECP_DP_SECP256R1, mbedtls_pk_ec(key.ctx),
                                  mbedtls_ctr_drbg_random, &random.drbg);
    unsigned char buffer[1024];
    if (ret == 0)
        ret = mbedtls_pk_write_key_pem(&key.ctx, buffer, sizeof(buffer));
    if (ret != 0) {
        *error = MbedError("key generation", ret);
        return false;
    }
    *pem = reinterpret_cast<char*>(buffer);
    return true;
}

bool IssueCertificate(const CertificateSpec& spec, const std::string& subjectKeyPem,
                      const std::string& issuerKeyPem, std::string* pem, std::string* error)
{
    Random random;
    Pk subjectKey, issuerKey;
    if (!ParseKey(subjectKeyPem, &subjectKey, error) || !ParseKey(issuerKeyPem, &issuerKey, error))
        return false;

    mbedtls_x509write_cert crt;
    mbedtls_mpi serial;
    mbedtls_x509write_crt_init(&crt);
    mbedtls_mpi_init(&serial);
    unsigned char der[2048];
    int length = 0;
    int ret = random.ret;

    mbedtls_x509write_crt_set_version(&crt, MBEDTLS_X509_CRT_VERSION_3);
    mbedtls_x509write_crt_set_md_alg(&crt, spec.sha1 ? MBEDTLS_MD_SHA1 : MBEDTLS_MD_SHA256);
    mbedtls_x509write_crt_set_subject_key(&crt, &subjectKey.ctx);
    mbedtls_x509write_crt_set_issuer_key(&crt, &issuerKey.ctx);
    if (ret == 0)
        ret = mbedtls_x509write_crt_set_subject_name(&crt, spec.subject.c_str());
    if (ret == 0)
        ret = mbedtls_x509write_crt_set_issuer_name(&crt, spec.issuer.c_str());
    if (ret == 0)
        ret = mbedtls_mpi_lset(&serial, spec.serial);
    if (ret == 0)
        ret = mbedtls_x509write_crt_set_serial(&crt, &serial);
    if (ret == 0)
        ret = mbedtls_x509write_crt_set_validity(&crt, spec.notBefore.c_str(),
                                                 spec.notAfter.c_str());
    if (ret == 0 && spec.basicConstraints) {
        // Critical for both: cA true with no path length, or an empty sequence.
        static const unsigned char kCa[] = {0x30, 0x03, 0x01, 0x01, 0xFF};
        static const unsigned char kEndEntity[] = {0x30, 0x00};
        ret = mbedtls_x509write_crt_set_extension(
            &crt, MBEDTLS_OID_BASIC_CONSTRAINTS, MBEDTLS_OID_SIZE(MBEDTLS_OID_BASIC_CONSTRAINTS), 1,
            spec.isCa ? kCa : kEndEntity, spec.isCa ? sizeof(kCa) : sizeof(kEndEntity));
    }
    if (ret == 0 && spec.keyUsage != 0) {
        // Named bit string: trailing zero bits dropped.
        unsigned char bits = (unsigned char)spec.keyUsage;
        unsigned unused = 0;
        while (unused < 8 && !(bits & (1u << unused)))
            unused++;
        unsigned char value[] = {0x03, 0x02, (unsigned char)unused, bits};
        ret = mbedtls_x509write_crt_set_extension(&crt, MBEDTLS_OID_KEY_USAGE,
                                                  MBEDTLS_OID_SIZE(MBEDTLS_OID_KEY_USAGE), 1,
                                                  value, sizeof(value));
    }
    if (ret == 0 && spec.codeSigning) {
        static const unsigned char kCodeSigning[] = {0x30, 0x0A, 0x06, 0x08, 0x2B, 0x06,
                                                     0x01, 0x05, 0x05, 0x07, 0x03, 0x03};
        ret = mbedtls_x509write_crt_set_extension(
            &crt, MBEDTLS_OID_EXTENDED_KEY_USAGE, MBEDTLS_OID_SIZE(MBEDTLS_OID_EXTENDED_KEY_USAGE),
            0, kCodeSigning, sizeof(kCodeSigning));
    }
    if (ret == 0)
        ret = mbedtls_x509write_crt_set_subject_key_identifier(&crt);
    if (ret == 0)
        ret = mbedtls_x509write_crt_set_authority_key_identifier(&crt);
    if (ret == 0) {
        length = mbedtls_x509write_crt_der(&crt, der, sizeof(der), mbedtls_ctr_drbg_random,
                                           &random.drbg);
        if (length < 0)
            ret = length;
    }
    mbedtls_mpi_free(&serial);
    mbedtls_x509write_crt_free(&crt);
    if (ret != 0) {
        *error = MbedError("certificate issue", ret);
        return false;
    }
    Bytes written(der + sizeof(der) - length, der + sizeof(der));
    Bytes fixed;
    if (!DropEcdsaNullParameters(written, &issuerKey.ctx, spec.sha1, &random, &fixed, error))
        return false;
    *pem = DerToPem(fixed.data(), fixed.size());
    return true;
}

size_t CertificateDerLength(const std::string& pem)
{
    mbedtls_x509_crt crt;
    mbedtls_x509_crt_init(&crt);
    size_t length = 0;
    if (mbedtls_x509_crt_parse(&crt, reinterpret_cast<const unsigned char*>(pem.c_str()),
                               pem.size() + 1) == 0)
        length = crt.raw.len;
    mbedtls_x509_crt_free(&crt);
    return length;
}

bool SignBody(const Bytes& body, const std::string& keyPem, Bytes* signature, std::string* error)
{
    Random random;
    Pk key;
    if (!ParseKey(keyPem, &key, error))
        return false;
    unsigned char hash[32];
    Sha256(body.data(), body.size(), hash);
    unsigned char sig[MBEDTLS_ECDSA_MAX_LEN];
    size_t length = 0;
    int ret = random.ret;
    if (ret == 0)
        ret = mbedtls_ecdsa_write_signature(mbedtls_pk_ec(key.ctx), MBEDTLS_MD_SHA256, hash,
                                            sizeof(hash), sig, &length, mbedtls_ctr_drbg_random,
                                            &random.drbg);
    if (ret != 0) {
        *error = MbedError("mbedtls_ecdsa_write_signature", ret);
        return false;
    }
    signature->assign(sig, sig + length);
    return true;
}

Bytes WrapContainer(const Bytes& body, const Bytes& signature)
{
    Bytes out;
    uint32_t n = (uint32_t)body.size();
    out.push_back((uint8_t)(n >> 24));
    out.push_back((uint8_t)(n >> 16));
    out.push_back((uint8_t)(n >> 8));
    out.push_back((uint8_t)n);
    out.insert(out.end(), body.begin(), body.end());
    uint16_t s = (uint16_t)signature.size();
    out.push_back((uint8_t)(s >> 8));
    out.push_back((uint8_t)s);
    out.insert(out.end(), signature.begin(), signature.end());
    return out;
}

ContainerView InspectContainer(const Bytes& image)
{
    ContainerView v;
    v.total = image.size();
    if (image.size() < 4)
        return v;
    v.bodyLength = ((uint32_t)image[0] << 24) | ((uint32_t)image[1] << 16) |
                   ((uint32_t)image[2] << 8) | image[3];
    if (v.bodyLength > kIdentificationOffset + 28 && image.size() >= 4 + kIdentificationOffset + 28)
        v.revision.assign(reinterpret_cast<const char*>(image.data()) + 4 + kIdentificationOffset +
                              24, 4);
    uint64_t afterBody = 4ull + v.bodyLength;
    if (image.size() < afterBody + 2)
        return v;
    v.signatureLength = (uint16_t)((image[afterBody] << 8) | image[afterBody + 1]);
    v.complete = image.size() >= afterBody + 2 + v.signatureLength;
    return v;
}

bool CheckContainer(const Bytes& image, const std::string& certPem, std::string* error)
{
    ContainerView v = InspectContainer(image);
    if (!v.complete || v.bodyLength == 0) {
        *error = "the container is incomplete";
        return false;
    }
    mbedtls_x509_crt crt;
    mbedtls_x509_crt_init(&crt);
    int ret = mbedtls_x509_crt_parse(&crt, reinterpret_cast<const unsigned char*>(certPem.c_str()),
                                     certPem.size() + 1);
    if (ret == 0) {
        unsigned char hash[32];
        Sha256(image.data() + 4, v.bodyLength, hash);
        ret = mbedtls_pk_verify(&crt.pk, MBEDTLS_MD_SHA256, hash, sizeof(hash),
                                image.data() + 6 + v.bodyLength, v.signatureLength);
    }
    mbedtls_x509_crt_free(&crt);
    if (ret != 0) {
        *error = MbedError("signature check", ret);
        return false;
    }
    return true;
}

bool MakeSignedImage(const std::string& vendor, const std::string& product,
                     const std::string& revision, size_t signatureLength,
                     const std::string& keyPem, Bytes* image, std::string* error)
{
    Bytes body = MakeTestFirmwareBody(vendor, product, revision);
    for (int filler = 0; filler < 256; filler++) {
        body.back() = (uint8_t)filler;
        Bytes signature;
        if (!SignBody(body, keyPem, &signature, error))
            return false;
        if (signatureLength == 0 || signature.size() == signatureLength) {
            *image = WrapContainer(body, signature);
            return true;
        }
    }
    *error = "no filler byte gives a signature of the wanted length";
    return false;
}

bool ReadFile(const std::string& path, Bytes* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
    return (bool)out;
}

bool ReadText(const std::string& path, std::string* text)
{
    Bytes bytes;
    if (!ReadFile(path, &bytes))
        return false;
    text->assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace fwsign
