// Catalogue "cryptography": hashing, RSA, certificates and private keys, compression and encryption.
// Entry 0 passes the cryptographic library's own error description through.
#include "catalogues/catalogues.h"

namespace kt {

struct CryptographyCatalogueDefinition {
    static constexpr const char16_t* name = u"cryptography";
    static constexpr auto entries = std::to_array<CatalogueEntry>({
        {u"OpenSSLDescription", u"{description}"},
        {u"ErrorInitHash", u"Hash konnte nicht initialisiert werden."},
        {u"ErrorHashData", u"Die Daten konnten nicht gehasht werden."},
        {u"ErrorGetDigest", u"Nachrichtenhash konnte nicht abgerufen werden."},
        {u"ErrorEncryptRSA", u"Daten konnten nicht mit RSA-Algorithmus verschlüsselt werden."},
        {u"ErrorDecryptRSA", u"Daten konnten nicht mit RSA-Algorithmus entschlüsselt werden."},
        {u"ErrorReadRSAKey", u"RSA-Schlüssel konnte nicht gelesen werden."},
        {u"ErrorSignRSA", u"RSA-Signatur konnte nicht generiert werden."},
        {u"ErrorVerifyRSA", u"RSA-Signatur konnte nicht verifiziert werden."},
        {u"ErrorCertificateLoadPEM", u"PEM-Zertifikat konnte nicht gelesen werden."},
        {u"ErrorCertificateLoadPEMPasswordRequired",
         u"PEM-Zertifikat konnte nicht gelesen werden: Es wird ein Passwort benötigt."},
        {u"ErrorCertificateLoadPEMPassword",
         u"PEM-Zertifikat konnte nicht gelesen werden: Ungültiges Passwort."},
        {u"ErrorCertificateLoadDER", u"DER-Zertifikat konnte nicht gelesen werden."},
        {u"ErrorCertificateLoadPKCS12", u"PKCS#12-Zertifikat konnte nicht gelesen werden."},
        {u"ErrorCertificateLoadPKCS12Password",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Ungültiges Passwort."},
        {u"ErrorCertificateLoadPKCS12PasswordRequired",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Es wird ein Passwort benötigt."},
        {u"ErrorPKCS12MAC",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: MAC-Überprüfung fehlgeschlagen."},
        {u"ErrorPKCS12Safes",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Safes konnten nicht entpackt werden."},
        {u"ErrorPKCS12Bags",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Safe Bags konnten nicht entpackt werden."},
        {u"ErrorPKCS12Key",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Private Key konnte nicht decodiert werden."},
        {u"ErrorPKCS12ShroudedKey",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Verschleierter Private Key konnte nicht decodiert "
         u"werden."},
        {u"ErrorPKCS12Certificate",
         u"PKCS#12-Zertifikat konnte nicht gelesen werden: Zertifikat konnte nicht decodiert werden."},
        {u"ErrorPrivateKeyLoadPEM", u"PEM Private Key konnte nicht gelesen werden."},
        {u"ErrorPrivateKeyLoadDER", u"DER Private Key konnte nicht gelesen werden."},
        {u"ErrorCompress", u"Daten konnten nicht komprimiert werden."},
        {u"ErrorUnCompress", u"Daten konnten nicht dekomprimiert werden."},
        {u"ErrorLoadData", u"Interner Fehler: Daten konnten nicht geladen werden."},
        {u"ErrorSignatureLoadDER", u"DER-Signatur konnte nicht geladen werden."},
        {u"ErrorSaveCertificateDER", u"DER-Zertifikat konnte nicht gespeichert werden."},
        {u"ErrorSavePrivateKeyDER", u"DER Private Key konnte nicht gespeichert werden."},
        {u"ErrorCreateSignature", u"Daten konnten nicht signiert werden."},
        {u"ErrorEncrypt", u"Daten konnten nicht verschlüsselt werden."},
        {u"ErrorDecrypt", u"Daten konnten nicht entschlüsselt werden."},
    });
};

template class Catalogue<CryptographyCatalogueDefinition>;

}  // namespace kt
