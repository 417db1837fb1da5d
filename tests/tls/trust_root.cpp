// Makes a test certificate authority trusted in this Windows (a Wine prefix of
// the tests): adds the certificate of a PEM or DER file to the machine's Root
// store, where the system's chain building finds it for TLS connections.
//   trust_root CERTIFICATE_FILE
// Exit codes: 0 added (or there already), 1 failure (one line on stderr), 2 usage.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: trust_root CERTIFICATE_FILE\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in || file.empty() || file.size() > (1 << 20)) {
    std::fputs("trust_root: the certificate file cannot be read\n", stderr);
    return 1;
  }
  // PEM ("-----BEGIN CERTIFICATE-----") or DER as it is.
  std::vector<BYTE> der;
  DWORD size = 0;
  if (CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                           &size, nullptr, nullptr)) {
    der.resize(size);
    CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                         &size, nullptr, nullptr);
    der.resize(size);
  } else {
    der.assign(file.begin(), file.end());
  }
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                   CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG, L"Root");
  if (store == nullptr) {
    std::fprintf(stderr, "trust_root: cannot open the machine's Root store (error %lu)\n", GetLastError());
    return 1;
  }
  const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                                      static_cast<DWORD>(der.size()),
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(store, 0);
  if (!added) {
    std::fprintf(stderr, "trust_root: the certificate was not added (error %lu)\n", error);
    return 1;
  }
  return 0;
}
