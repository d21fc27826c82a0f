// Trusts a test CA inside a Wine prefix: adds a DER certificate to the current user's
// "Root" store (the registry-backed one; the host's store stays untouched).
// Older certificates with the same subject are removed first, so a CA made again by
// the test harness does not pile up beside its predecessors.
// Usage: add_root_cert.exe CA.der      Exit status 0 when the certificate is trusted.
#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr long kMaxCertificateBytes = 64 * 1024;

bool ReadFileBytes(const char* path, std::vector<BYTE>& bytes) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    bytes.resize(kMaxCertificateBytes + 1);
    const size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    bytes.resize(count);
    return count > 0 && count <= static_cast<size_t>(kMaxCertificateBytes);
}

HCERTSTORE OpenUserRoot(LPCSTR provider) {
    return CertOpenStore(provider, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
}

// Deletes every certificate with the subject of `cert` but other contents. Wine loses
// both the deletions and a later addition when they share one open store, so this
// opens its own, the registry store itself.
void RemovePredecessors(PCCERT_CONTEXT cert) {
    HCERTSTORE store = OpenUserRoot(CERT_STORE_PROV_SYSTEM_REGISTRY_A);
    if (store == nullptr) return;
    std::vector<PCCERT_CONTEXT> stale;
    PCCERT_CONTEXT found = nullptr;
    while ((found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                               &cert->pCertInfo->Subject, found)) != nullptr) {
        // Not CertCompareCertificate: that compares issuer and serial number only.
        const bool same =
            found->cbCertEncoded == cert->cbCertEncoded &&
            std::memcmp(found->pbCertEncoded, cert->pbCertEncoded, cert->cbCertEncoded) == 0;
        if (!same) {
            stale.push_back(CertDuplicateCertificateContext(found));
        }
    }
    for (PCCERT_CONTEXT old : stale) {
        CertDeleteCertificateFromStore(old);  // frees `old`
    }
    CertCloseStore(store, 0);
    if (!stale.empty()) std::printf("removed %u older certificate(s)\n", unsigned(stale.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: add_root_cert CA.der\n");
        return 2;
    }
    std::vector<BYTE> der;
    if (!ReadFileBytes(argv[1], der)) {
        std::fprintf(stderr, "add_root_cert: cannot read a certificate from %s\n", argv[1]);
        return 1;
    }
    PCCERT_CONTEXT cert =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), DWORD(der.size()));
    if (cert == nullptr) {
        std::fprintf(stderr, "add_root_cert: not a DER certificate (error %lu)\n", GetLastError());
        return 1;
    }
    RemovePredecessors(cert);
    HCERTSTORE store = OpenUserRoot(CERT_STORE_PROV_SYSTEM_A);
    if (store == nullptr) {
        std::fprintf(stderr, "add_root_cert: cannot open the Root store (error %lu)\n",
                     GetLastError());
        CertFreeCertificateContext(cert);
        return 1;
    }
    const BOOL added =
        CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = GetLastError();
    CertCloseStore(store, 0);
    CertFreeCertificateContext(cert);
    if (!added) {
        std::fprintf(stderr, "add_root_cert: adding failed (error %lu)\n", error);
        return 1;
    }
    std::printf("trusted %s\n", argv[1]);
    return 0;
}
