#!/usr/bin/env python3
"""Says who signed a release, from its signature alone (ZvkCameraMode-<version>.exe.sig: an
Authenticode PKCS#7 SignedData, PEM or DER), as lines for BUILDINFO.txt: the digest, whether a
timestamp authority vouched for the time of signing, and the signer's certificate: its subject,
the kind and size of its key, its SHA-256 fingerprint, the SHA-1 thumbprint that Windows shows, and the end of its validity.
Taken from the signature rather than from the certificate file, so that a rebuild that
attaches the same signature says the same. Fails, saying so, where the signature does not
verify with its signer's own key: a signature damaged or made up, whatever its certificate's
chain (osslsigncode checks that the signature is of the exe, and the chain, which a test
certificate or a root that Debian's bundle lacks never passes).

    signature_info.py ZvkCameraMode-<version>.exe.sig
"""
import base64
import hashlib
import re
import subprocess
import sys
import tempfile
from pathlib import Path

SEQUENCE, SET, CONTEXT_0, CONTEXT_1, OCTET_STRING = 0x30, 0x31, 0xA0, 0xA1, 0x04
MESSAGE_DIGEST = bytes.fromhex("06092a864886f70d010904")  # the signed attribute of the content's digest
SHA256 = bytes.fromhex("0609608648016503040201")  # the OID 2.16.840.1.101.3.4.2.1, as DER
TIMESTAMPS = (bytes.fromhex("06092a864886f70d010906"),  # a counter-signature (Authenticode's own)
              bytes.fromhex("060a2b060104018237030301"))  # an RFC 3161 timestamp token
# A second signature nested in the first's unsigned attributes (SPC_NESTED_SIGNATURE): Windows
# shows its signer too, so a release, which names one signer, never has one.
NESTED_SIGNATURE = bytes.fromhex("060a2b060104018237020401")


class Element:
    """One DER element of `data`: its tag, its whole bytes and its content's."""

    def __init__(self, data, at):
        self.data, self.tag, self.begin = data, data[at], at
        length, self.start = data[at + 1], at + 2
        if length & 0x80:
            count = length & 0x7F
            length, self.start = int.from_bytes(data[self.start:self.start + count], "big"), self.start + count
        self.end = self.start + length
        if self.end > len(data):
            raise ValueError("the signature is cut short")

    def bytes(self):
        return self.data[self.begin:self.end]

    def content(self):
        return self.data[self.start:self.end]

    def children(self):
        at, found = self.start, []
        while at < self.end:
            found.append(Element(self.data, at))
            at = found[-1].end
        return found


def signer(der):
    """(the signer's certificate, signed with SHA-256, timestamped, the signer's own proof) of
    a PKCS#7 SignedData. The proof: what the signer's key signed (its signed attributes, as
    the SET they are), the signature, and whether the attributes' digest of the content is the
    content's (Authenticode's content: the SpcIndirectDataContent's own bytes, past its tag)."""
    content_info = Element(der, 0)
    if content_info.end != len(der):
        raise ValueError("more follows the signature")
    signed_data = content_info.children()[1].children()[0]
    parts = signed_data.children()
    indirect_data = parts[2].children()[1].children()[0]
    certificates = next(part for part in parts if part.tag == CONTEXT_0).children()
    signer_infos = parts[-1].children()
    if len(signer_infos) != 1:
        raise ValueError(f"it has {len(signer_infos)} signers, not one")
    fields = signer_infos[0].children()
    issuer, serial = (part.bytes() for part in fields[1].children())
    digest_is_sha256 = fields[2].bytes().find(SHA256) >= 0
    unsigned = fields[-1].bytes() if fields[-1].tag == CONTEXT_1 else b""
    timestamped = any(oid in unsigned for oid in TIMESTAMPS)
    if NESTED_SIGNATURE in unsigned:
        raise ValueError("a second signature is nested in it, whose signer it does not name")
    attributes = next(part for part in fields if part.tag == CONTEXT_0)
    signed = bytes([SET]) + attributes.bytes()[1:]
    signature = next(part for part in fields[3:] if part.tag == OCTET_STRING)
    content_digest = hashlib.sha256(indirect_data.content()).digest()
    digest_holds = any(kind.bytes() == MESSAGE_DIGEST and value.children()[0].content() == content_digest
                       for kind, value in (attribute.children() for attribute in attributes.children()))
    proof = (signed, signature.content(), digest_holds)
    for certificate in certificates:
        tbs = certificate.children()[0].children()
        tbs = tbs[1:] if tbs[0].tag == CONTEXT_0 else tbs  # past the version
        if tbs[0].bytes() == serial and tbs[2].bytes() == issuer:
            return certificate.bytes(), digest_is_sha256, timestamped, proof
    raise ValueError("the signature holds no certificate of its signer")


def openssl_x509(certificate, option):
    return subprocess.run(["openssl", "x509", "-inform", "DER", "-noout", "-nameopt", "RFC2253", option],
                          input=certificate, capture_output=True, check=True).stdout.decode().strip().split("=", 1)[1]


KEY_KINDS = {"rsaEncryption": "RSA", "id-ecPublicKey": "ECDSA", "ED25519": "Ed25519", "ED448": "Ed448",
             "dsaEncryption": "DSA"}


def key_of(certificate):
    """"RSA, 3072 bits": the kind and size of the signer's key, as its certificate gives them."""
    text = subprocess.run(["openssl", "x509", "-inform", "DER", "-noout", "-text"], input=certificate,
                          capture_output=True, check=True).stdout.decode()
    algorithm = re.search(r"Public Key Algorithm: *(\S+)", text)
    bits = re.search(r"Public-Key: *\((\d+) bit\)", text)
    kind = KEY_KINDS.get(algorithm.group(1), algorithm.group(1)) if algorithm else "of an unknown kind"
    return f"{kind}, {bits.group(1)} bits" if bits else kind


def signed_by_its_signer(certificate, proof):
    """Whether the signer's key made the signature over what it signed, and that holds the
    content's digest."""
    signed, signature, digest_holds = proof
    if not digest_holds:
        return False
    with tempfile.TemporaryDirectory() as folder:
        key, attributes, signature_file = (Path(folder) / name for name in ("key.pem", "signed.der", "signature.bin"))
        key.write_bytes(subprocess.run(["openssl", "x509", "-inform", "DER", "-noout", "-pubkey"], input=certificate,
                                       capture_output=True, check=True).stdout)
        attributes.write_bytes(signed)
        signature_file.write_bytes(signature)
        return subprocess.run(["openssl", "dgst", "-sha256", "-verify", str(key), "-signature", str(signature_file),
                               str(attributes)], capture_output=True).returncode == 0


def main(path):
    data = Path(path).read_bytes()
    try:
        if data.startswith(b"-----BEGIN"):
            if data.count(b"-----BEGIN") != 1:
                raise ValueError("it holds more than one signature")
            lines = b"".join(line for line in data.splitlines() if not line.startswith(b"-----"))
            data = base64.b64decode(lines, validate=True)
        certificate, sha256, timestamped, proof = signer(data)
    except (ValueError, IndexError, StopIteration) as error:  # binascii.Error is a ValueError
        sys.exit(f"signature_info: {path} is no Authenticode signature that can be read: {error}")
    # A digest other than SHA-256 is tools/release's to refuse, with its own words.
    if sha256 and not signed_by_its_signer(certificate, proof):
        sys.exit(f"signature_info: {path} does not verify with its signer's own key: it is damaged, or not the "
                 "signer's")

    def fingerprint(digest):
        return ":".join(f"{byte:02X}" for byte in digest)

    print(f"signature: Authenticode, {'SHA-256' if sha256 else 'not SHA-256'}, " +
          ("timestamped" if timestamped else "not timestamped: valid until the certificate expires"))
    print(f"signer: {openssl_x509(certificate, '-subject').strip()}")
    print(f"signer's key: {key_of(certificate)}")
    print(f"signer's certificate SHA-256 fingerprint: {fingerprint(hashlib.sha256(certificate).digest())}")
    print(f"signer's certificate thumbprint (SHA-1, as Windows shows it): {hashlib.sha1(certificate).hexdigest()}")
    print(f"signer's certificate valid until: {openssl_x509(certificate, '-enddate')}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
