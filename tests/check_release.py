#!/usr/bin/env python3
"""Builds the release twice, from two copies of the sources in two folders, one after the
other, and checks what a player relies on: both builds give the same bytes, and the same
BUILDINFO.txt, which names the commit and the tools; SHA256SUMS matches the zip and the
exe, with CR LF line ends that sha256sum -c reads; the zip holds exactly the exe and
ReadMe.txt; the ReadMe is 7-bit ASCII with CR LF line ends; and the exe is the one the tests
ran. Then signs a third build with a throwaway certificate and checks that the signature is
a well-formed SHA-256 one of that exe, that the exe without it and the signature alone give
back the unsigned build and the signed exe byte for byte, and that tools/verify-release tells
the signed zip from one whose exe differs by a byte.

    check_release.py [tested ZvkCameraMode.exe]

Files not yet added to git are not copied: add new sources before running it.
"""
import base64
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def release(sources, out, *options, env=None):
    subprocess.run([str(sources / "tools" / "release"), *options, str(out)], check=True,
                   stdout=subprocess.DEVNULL, env=env)
    return {path.name: path.read_bytes() for path in sorted(out.iterdir())}


def sha256sum_problems(files, exe):
    """What sha256sum -c, as a player on Linux runs it, says of SHA256SUMS beside the files."""
    if shutil.which("sha256sum") is None:
        return []
    with tempfile.TemporaryDirectory() as folder:
        for name, data in [*files.items(), ("ZvkCameraMode.exe", exe)]:
            (Path(folder) / name).write_bytes(data)
        checked = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=folder,
                                 capture_output=True, text=True)
    return [] if checked.returncode == 0 else [f"sha256sum -c does not read SHA256SUMS: {checked.stderr.strip()}"]


def problems_with(files, tested_exe, signed=False):
    problems = []
    zips = [name for name in files if name.endswith(".zip")]
    signatures = [zips[0][:-4] + ".exe.sig"] if signed and len(zips) == 1 else []
    if sorted(files) != sorted(zips + ["SHA256SUMS", "BUILDINFO.txt"] + signatures) or len(zips) != 1:
        return [f"the release is {sorted(files)}, not one zip, SHA256SUMS and BUILDINFO.txt" +
                (" and the signature" if signed else "")]
    buildinfo = files["BUILDINFO.txt"].decode("ascii")
    signer_fields = ("osslsigncode: osslsigncode ", "signature: Authenticode, SHA-256, not timestamped",
                     "signer: CN=", "SHA-256 fingerprint: ", "thumbprint (SHA-1", "valid until: ")
    for field in ("commit: ", "compiler: ", "binutils: ", "cmake: ", "python: ", " with zlib ") + (signer_fields if signed else ()):
        if field not in buildinfo:
            problems.append(f"BUILDINFO.txt does not say {field.strip()!r}")
    archive = zipfile.ZipFile(io.BytesIO(files[zips[0]]))
    if archive.namelist() != ["ZvkCameraMode.exe", "ReadMe.txt"]:
        problems.append(f"the zip holds {archive.namelist()}, not ZvkCameraMode.exe and ReadMe.txt")
        return problems
    exe, readme = archive.read("ZvkCameraMode.exe"), archive.read("ReadMe.txt")
    expected = {name: hashlib.sha256(files[name]).hexdigest() for name in zips + signatures}
    expected["ZvkCameraMode.exe"] = hashlib.sha256(exe).hexdigest()
    listed = {}
    for line in files["SHA256SUMS"].decode("ascii").splitlines():
        digest, _, name = line.partition("  ")
        listed[name] = digest
    if listed != expected:
        problems.append(f"SHA256SUMS lists {listed}, the files are {expected}")
    sums = files["SHA256SUMS"]
    if sums.count(b"\n") != sums.count(b"\r\n") or not sums.endswith(b"\r\n"):
        problems.append("SHA256SUMS does not end every line with CR LF")
    problems += sha256sum_problems(files, exe)
    if any(byte > 127 for byte in readme):
        problems.append("ReadMe.txt is not 7-bit ASCII")
    if readme.count(b"\n") != readme.count(b"\r\n") or readme.count(b"\r") != readme.count(b"\r\n") \
            or not readme.endswith(b"\r\n"):
        problems.append("ReadMe.txt does not end every line, and only lines, with CR LF")
    if tested_exe is not None and exe != Path(tested_exe).read_bytes():
        problems.append(f"the released exe is not the exe the tests ran ({tested_exe})")
    return problems


def osslsigncode(command, *arguments, out=None):
    """Runs osslsigncode: (its words, the file it wrote or None)."""
    if out is not None:
        out.unlink(missing_ok=True)
    run = subprocess.run(["osslsigncode", command, *map(str, arguments)] + (["-out", str(out)] if out else []),
                         capture_output=True, text=True)
    return run.returncode, run.stdout + run.stderr, out.read_bytes() if out and out.is_file() else None


def signed_release_problems(copy, work, unsigned_files):
    """Signs a release with a throwaway certificate: it must hold what the player and anyone who
    rebuilds it rely on."""
    signer = work / "signer"
    signer.mkdir()
    env = dict(os.environ, ZVK_SIGN_PASSWORD="throwaway password")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-noenc", "-days", "2",
                    "-subj", "/CN=ZVK Camera Mode release check", "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", signer / "key.pem", "-out", signer / "cert.pem"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", signer / "key.pem", "-in", signer / "cert.pem",
                    "-passout", "env:ZVK_SIGN_PASSWORD", "-out", signer / "signer.p12"], check=True, env=env)
    files = release(copy, work / "signed", "--sign", signer / "signer.p12", env=env)
    problems = problems_with(files, None, signed=True)
    if problems:
        return problems
    zip_name = next(name for name in files if name.endswith(".zip"))
    signed = zipfile.ZipFile(io.BytesIO(files[zip_name])).read("ZvkCameraMode.exe")
    unsigned = zipfile.ZipFile(io.BytesIO(unsigned_files[zip_name])).read("ZvkCameraMode.exe")
    (work / "signed.exe").write_bytes(signed)
    (work / "unsigned.exe").write_bytes(unsigned)
    fingerprint = subprocess.run(["openssl", "x509", "-in", signer / "cert.pem", "-noout", "-fingerprint", "-sha256"],
                                 check=True, capture_output=True, text=True).stdout.strip().split("=")[1]
    buildinfo = files["BUILDINFO.txt"].decode("ascii")
    if f"SHA-256 fingerprint: {fingerprint}\n" not in buildinfo:
        problems.append(f"BUILDINFO.txt does not name the signer's fingerprint {fingerprint}")
    if not buildinfo.startswith(unsigned_files["BUILDINFO.txt"].decode("ascii")):
        problems.append("BUILDINFO.txt of the signed release is not the unsigned one's with the signer added")

    # A self-signed certificate: osslsigncode trusts it only when told to, and finds all else well.
    _, words, _ = osslsigncode("verify", "-in", work / "signed.exe")
    digests = re.findall(r"(?:Current|Calculated) message digest\s*:\s*([0-9A-F]+)", words)
    if not re.search(r"Message digest algorithm\s*:\s*SHA256", words) or len(set(digests)) != 1 \
            or not re.search("self.signed certificate", words):
        problems.append(f"osslsigncode verify finds no well-formed SHA-256 signature of the exe:\n{words}")
    trusted, words, _ = osslsigncode("verify", "-CAfile", signer / "cert.pem", "-in", work / "signed.exe")
    if trusted != 0:
        problems.append(f"osslsigncode verify, trusting the throwaway certificate, fails:\n{words}")
    _, words, removed = osslsigncode("remove-signature", "-in", work / "signed.exe", out=work / "removed.exe")
    if removed != unsigned:
        problems.append(f"the signed exe without its signature is not the unsigned build {words}")
    sig = work / "signed" / (zip_name[:-4] + ".exe.sig")
    _, words, attached = osslsigncode("attach-signature", "-sigin", sig, "-in", work / "unsigned.exe",
                                      out=work / "attached.exe")
    if attached != signed:
        problems.append(f"{sig.name} attached to the unsigned build does not give the signed exe {words}")

    # A signature changed in one byte of what the signer's key made is refused, though its
    # digest of the exe still holds: the release reads the signer from it with this tool first.
    pem = sig.read_text(encoding="ascii").splitlines()
    damaged = bytearray(base64.b64decode("".join(line for line in pem if not line.startswith("-----"))))
    damaged[-8] ^= 1
    (work / "damaged.sig").write_bytes(b"-----BEGIN PKCS7-----\n" + base64.encodebytes(bytes(damaged)) +
                                       b"-----END PKCS7-----\n")
    read = subprocess.run([sys.executable, str(ROOT / "tools" / "signature_info.py"), str(work / "damaged.sig")],
                          capture_output=True, text=True)
    if read.returncode == 0 or "does not verify" not in read.stderr:
        problems.append(f"a signature damaged in one byte is taken for the signer's: {read.stdout}{read.stderr}")

    # tools/verify-release rebuilds the copy: the signed zip is that build; one byte more is not.
    verified = subprocess.run([str(ROOT / "tools" / "verify-release"), "--sources", str(copy),
                               str(work / "signed" / zip_name)], capture_output=True, text=True)
    if verified.returncode != 0:
        problems.append(f"tools/verify-release refuses the signed release: {verified.stdout}")
    tampered = work / "tampered"
    shutil.copytree(work / "signed", tampered)
    exe = bytearray(signed)
    exe[len(exe) // 2] ^= 1
    archive = zipfile.ZipFile(io.BytesIO(files[zip_name]))
    with zipfile.ZipFile(tampered / zip_name, "w") as changed:
        for entry in archive.infolist():
            changed.writestr(entry, bytes(exe) if entry.filename == "ZvkCameraMode.exe" else archive.read(entry))
    verified = subprocess.run([str(ROOT / "tools" / "verify-release"), "--sources", str(copy),
                               str(tampered / zip_name)], capture_output=True, text=True)
    if verified.returncode != 1 or "the exe is not that build" not in verified.stdout:
        problems.append(f"tools/verify-release does not refuse an exe changed by one byte: {verified.stdout}")
    for name, data in files.items():
        print(f"  {hashlib.sha256(data).hexdigest()}  {name} ({len(data)} bytes, signed)")
    return problems


def main(tested_exe=None):
    work = ROOT / "build" / "release-check"
    shutil.rmtree(work, ignore_errors=True)
    copy = work / "sources"
    tracked = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True,
                             capture_output=True).stdout.decode().split("\0")
    for name in filter(None, tracked):
        if (ROOT / name).exists():
            (copy / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / name, copy / name)

    first = release(ROOT, work / "first")
    second = release(copy, work / "second")
    problems = [f"{name} differs between two builds of the same sources"
                for name in sorted(set(first) | set(second)) if first.get(name) != second.get(name)]
    problems += problems_with(first, tested_exe)
    for name, data in first.items():
        print(f"  {hashlib.sha256(data).hexdigest()}  {name} ({len(data)} bytes)")
    problems += signed_release_problems(copy, work, first)
    for problem in problems:
        print(f"FAILED: {problem}")
    if not problems:
        print("The release builds the same bytes twice, and signed, the same exe with a signature attached")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:2]))
