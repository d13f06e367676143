// Development signing: the verifier's two certificates made with mbed TLS,
// SignedFirmwareImage containers, and the carried test images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fwsign {

using Bytes = std::vector<uint8_t>;

// One certificate to issue. Defaults give the signing certificate.
struct CertificateSpec {
    std::string subject;          // mbed TLS name string, e.g. "CN=TVNK-DEFAULT_MNFR-ODD_DM"
    std::string issuer;           // issuer name string
    int serial = 1;
    std::string notBefore;        // YYYYMMDDhhmmss (UTC)
    std::string notAfter;
    bool isCa = false;            // basic constraints cA
    bool basicConstraints = true;
    unsigned keyUsage = 0;        // MBEDTLS_X509_KU_* bits; 0 = no extension
    bool codeSigning = false;     // extended key usage codeSigning
    bool sha1 = false;            // sign with SHA-1 instead of SHA-256
};

CertificateSpec SigningCertificateSpec();
CertificateSpec RootCertificateSpec();

// Generates a P-256 key; returns its PEM (SEC1) text.
bool GenerateKey(std::string* pem, std::string* error);

// Issues a certificate for subjectKeyPem signed by issuerKeyPem. Returns
// PEM text with CRLF line ends.
bool IssueCertificate(const CertificateSpec& spec, const std::string& subjectKeyPem,
                      const std::string& issuerKeyPem, std::string* pem, std::string* error);

// DER length of a PEM certificate (0 when it does not parse).
size_t CertificateDerLength(const std::string& pem);

// SHA-256 over the body, deterministic ECDSA (RFC 6979), DER.
bool SignBody(const Bytes& body, const std::string& keyPem, Bytes* signature, std::string* error);

// Length field, body, signature length, signature.
Bytes WrapContainer(const Bytes& body, const Bytes& signature);

struct ContainerView {
    uint32_t bodyLength = 0;
    uint16_t signatureLength = 0;
    size_t total = 0;
    bool complete = false;        // all declared bytes present
    std::string revision;         // at the identification block, when the body holds it
};
ContainerView InspectContainer(const Bytes& image);

// Checks a container's signature with the public key of certPem.
bool CheckContainer(const Bytes& image, const std::string& certPem, std::string* error);

// A signed test image whose signature has exactly signatureLength bytes:
// a filler byte at the end of the body is changed until it has.
bool MakeSignedImage(const std::string& vendor, const std::string& product,
                     const std::string& revision, size_t signatureLength,
                     const std::string& keyPem, Bytes* image, std::string* error);

bool ReadFile(const std::string& path, Bytes* bytes);
bool WriteFile(const std::string& path, const Bytes& bytes);
bool ReadText(const std::string& path, std::string* text);

}  // namespace fwsign
