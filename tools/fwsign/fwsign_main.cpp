// fwsign: development signing tool. Makes the development PKI, test firmware
// bodies and signed containers, and shows and checks containers.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/common/test_firmware.h"
#include "tools/fwsign/fwsign_lib.h"

using namespace fwsign;

static int Usage(void)
{
    fprintf(stderr,
            "usage:\n"
            "  fwsign make-pki DIR\n"
            "      new development keys and certificates in DIR (root.key, root.crt,\n"
            "      signer.key, signer.crt)\n"
            "  fwsign body VENDOR PRODUCT REVISION OUT\n"
            "      a deterministic 2 MiB test body with its identification block\n"
            "  fwsign sign KEY BODY OUT\n"
            "      wrap BODY into a signed container\n"
            "  fwsign image KEY VENDOR PRODUCT REVISION SIGLEN OUT\n"
            "      a test body signed so that the signature has SIGLEN bytes (0 = any)\n"
            "  fwsign show IMAGE\n"
            "  fwsign check CERT IMAGE\n");
    return 2;
}

static int Fail(const std::string& message)
{
    fprintf(stderr, "fwsign: %s\n", message.c_str());
    return 1;
}

static bool WriteText(const std::string& path, const std::string& text)
{
    return WriteFile(path, Bytes(text.begin(), text.end()));
}

static int MakePki(const std::string& dir)
{
    std::string error, rootKey, signerKey, rootCrt, signerCrt;
    // Certificates of the sizes the verifier's table was laid out for
    // (450 and 448 bytes of DER); keys are drawn until both fit.
    for (int attempt = 0; attempt < 400; attempt++) {
        if (!GenerateKey(&rootKey, &error) || !GenerateKey(&signerKey, &error))
            return Fail(error);
        if (!IssueCertificate(RootCertificateSpec(), rootKey, rootKey, &rootCrt, &error) ||
            !IssueCertificate(SigningCertificateSpec(), signerKey, rootKey, &signerCrt, &error))
            return Fail(error);
        if (CertificateDerLength(rootCrt) == 450 && CertificateDerLength(signerCrt) == 448)
            break;
        rootCrt.clear();
    }
    if (rootCrt.empty())
        return Fail("no key pair gave certificates of 450 and 448 bytes");
    if (!WriteText(dir + "/root.key", rootKey) || !WriteText(dir + "/signer.key", signerKey) ||
        !WriteText(dir + "/root.crt", rootCrt) || !WriteText(dir + "/signer.crt", signerCrt))
        return Fail("cannot write into " + dir);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    std::string command = argv[1];
    std::string error;
    if (command == "make-pki" && argc == 3)
        return MakePki(argv[2]);
    if (command == "body" && argc == 6) {
        Bytes body = MakeTestFirmwareBody(argv[2], argv[3], argv[4]);
        return WriteFile(argv[5], body) ? 0 : Fail(std::string("cannot write ") + argv[5]);
    }
    if (command == "sign" && argc == 5) {
        std::string key;
        Bytes body, signature;
        if (!ReadText(argv[2], &key) || !ReadFile(argv[3], &body))
            return Fail("cannot read the key or the body");
        if (!SignBody(body, key, &signature, &error))
            return Fail(error);
        return WriteFile(argv[4], WrapContainer(body, signature)) ? 0 : Fail("cannot write");
    }
    if (command == "image" && argc == 8) {
        std::string key;
        Bytes image;
        if (!ReadText(argv[2], &key))
            return Fail("cannot read the key");
        if (!MakeSignedImage(argv[3], argv[4], argv[5], (size_t)atoi(argv[6]), key, &image,
                             &error))
            return Fail(error);
        return WriteFile(argv[7], image) ? 0 : Fail("cannot write");
    }
    if (command == "show" && argc == 3) {
        Bytes image;
        if (!ReadFile(argv[2], &image))
            return Fail("cannot read the image");
        ContainerView v = InspectContainer(image);
        printf("size %zu\nbody length %u\nsignature length %u\nrevision %s\ncomplete %s\n",
               v.total, v.bodyLength, v.signatureLength, v.revision.c_str(),
               v.complete ? "yes" : "no");
        return v.complete ? 0 : 1;
    }
    if (command == "check" && argc == 4) {
        std::string cert;
        Bytes image;
        if (!ReadText(argv[2], &cert) || !ReadFile(argv[3], &image))
            return Fail("cannot read the certificate or the image");
        if (!CheckContainer(image, cert, &error))
            return Fail(error);
        printf("signature good\n");
        return 0;
    }
    return Usage();
}
