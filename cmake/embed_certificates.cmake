# Writes the verifier's certificate table from two PEM files:
#   cmake -DSIGNER=... -DROOT=... -DOUT=... -P embed_certificates.cmake
# The texts keep CRLF line ends; the length counts the terminating zero.
function(pem_literal path out_var len_var)
  file(READ "${path}" text)
  string(REPLACE "\r" "" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(literal "")
  set(length 0)
  foreach(line IN LISTS lines)
    string(APPEND literal "    \"${line}\\r\\n\"\n")
    string(LENGTH "${line}" n)
    math(EXPR length "${length} + ${n} + 2")
  endforeach()
  math(EXPR length "${length} + 1")
  set(${out_var} "${literal}" PARENT_SCOPE)
  set(${len_var} "${length}" PARENT_SCOPE)
endfunction()

pem_literal("${SIGNER}" signer signer_len)
pem_literal("${ROOT}" root root_len)
file(WRITE "${OUT}.tmp" "// Generated from the PKI folder by cmake/embed_certificates.cmake.
#include \"verifier/builtin_certificates.h\"

static const char kSigningCertificate[] =
${signer};
static const char kRootCertificate[] =
${root};

static_assert(sizeof(kSigningCertificate) == ${signer_len}, \"signing certificate length\");
static_assert(sizeof(kRootCertificate) == ${root_len}, \"root certificate length\");

const BuiltInCertificate BuiltInCertificates[2] = {
    {kSigningCertificate, sizeof(kSigningCertificate)},
    {kRootCertificate, sizeof(kRootCertificate)},
};
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
