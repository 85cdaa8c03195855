#!/usr/bin/env python3
"""Builds the release twice, from two copies of the sources in two folders, one after the
other, and checks what a player relies on: both builds give the same bytes, and the same
BUILDINFO.txt, which names the commit and the tools; SHA256SUMS matches the zip and the exe,
with CR LF line ends, and sha256sum reads it beside the downloaded files; the zip holds exactly
the members tools/package_release.py lists, the exe the one the tests ran, the texts 7-bit
ASCII with CR LF, the ReadMe a few screens of narrow lines; and every tools/ and bench/
command that the guides name is there. Then signs a third build with a throwaway certificate
and checks what a signed release promises (see signed_release_problems), and that
tools/verify-release gives the release, and ten that are not what they say, each its verdict.

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
sys.path.insert(0, str(ROOT / "tools"))
from package_release import MEMBERS, TEXT_SOURCES  # noqa: E402


# The player's guide reads in Notepad: a few screens, no line wider than a narrow window.
README_LINES, README_WIDTH = 120, 78
# The guides a maintainer reads, whose commands must all be there.
GUIDES = ("README.md", "SECURITY.md", "docs")


def named_commands_problems():
    """The tools/... and bench/... paths that the guides name and the sources lack."""
    problems = []
    for guide in sorted(path for name in GUIDES for path in
                        ((ROOT / name).rglob("*.md") if (ROOT / name).is_dir() else [ROOT / name])):
        for named in sorted(set(re.findall(r"(?<![\w./-])((?:tools|bench)/[\w.-]*\w)", guide.read_text()))):
            if not (ROOT / named).exists():
                problems.append(f"{guide.relative_to(ROOT)} names {named}, which is not there")
    return problems


def release(sources, out, *options, env=None):
    subprocess.run([str(sources / "tools" / "release"), *options, str(out)], check=True,
                   stdout=subprocess.DEVNULL, env=env)
    return {path.name: path.read_bytes() for path in sorted(out.iterdir())}


def sha256sum_problems(files):
    """What sha256sum, as a player on Linux runs it, says of SHA256SUMS beside the downloaded
    files, which lack the exe that is in the zip."""
    if shutil.which("sha256sum") is None:
        return []
    with tempfile.TemporaryDirectory() as folder:
        for name, data in files.items():
            (Path(folder) / name).write_bytes(data)
        checked = subprocess.run(["sha256sum", "--check", "--ignore-missing", "--strict", "SHA256SUMS"],
                                 cwd=folder, capture_output=True, text=True)
    if checked.returncode == 0 and checked.stdout.count(": OK") == len(files) - 2:
        return []
    return [f"sha256sum --check --ignore-missing SHA256SUMS beside the download: {checked.stdout}{checked.stderr}"]


def problems_with(files, tested_exe, signed=False):
    problems = []
    zips = [name for name in files if name.endswith(".zip")]
    signatures = [zips[0][:-4] + ".exe.sig"] if signed and len(zips) == 1 else []
    if sorted(files) != sorted(zips + ["SHA256SUMS", "BUILDINFO.txt"] + signatures) or len(zips) != 1:
        return [f"the release is {sorted(files)}, not one zip, SHA256SUMS and BUILDINFO.txt" +
                (" and the signature" if signed else "")]
    buildinfo = files["BUILDINFO.txt"].decode("ascii")
    signer_fields = ("osslsigncode: osslsigncode ", "signature: Authenticode, SHA-256, not timestamped",
                     "signer: CN=", "signer's key: RSA, 2048 bits", "SHA-256 fingerprint: ", "thumbprint (SHA-1",
                     "valid until: ")
    for field in ("commit: ", "compiler: ", "binutils: ", "cmake: ", "python: ", " with zlib ") + (signer_fields if signed else ()):
        if field not in buildinfo:
            problems.append(f"BUILDINFO.txt does not say {field.strip()!r}")
    archive = zipfile.ZipFile(io.BytesIO(files[zips[0]]))
    if archive.namelist() != list(MEMBERS):
        problems.append(f"the zip holds {archive.namelist()}, not {list(MEMBERS)}")
        return problems
    exe = archive.read("ZvkCameraMode.exe")
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
    problems += sha256sum_problems(files)
    for name in TEXT_SOURCES:
        text = archive.read(name)
        if any(byte > 127 for byte in text):
            problems.append(f"{name} is not 7-bit ASCII")
        if text.count(b"\n") != text.count(b"\r\n") or text.count(b"\r") != text.count(b"\r\n") \
                or not text.endswith(b"\r\n"):
            problems.append(f"{name} does not end every line, and only lines, with CR LF")
    readme = archive.read("ReadMe.txt").decode("ascii", "replace").split("\r\n")[:-1]
    if len(readme) > README_LINES:
        problems.append(f"ReadMe.txt has {len(readme)} lines, more than the {README_LINES} a player reads")
    problems += [f"ReadMe.txt line {number} has {len(line)} characters, more than {README_WIDTH}"
                 for number, line in enumerate(readme, 1) if len(line) > README_WIDTH]
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


def throwaway_certificate(folder, key, env):
    """A self-signed code-signing certificate with a new key of `key`'s kind (openssl's "-newkey"
    options: ["rsa:2048"], say), in a .p12."""
    folder.mkdir()
    subprocess.run(["openssl", "req", "-x509", "-newkey", *key, "-noenc", "-days", "2",
                    "-subj", "/CN=ZVK Camera Mode release check", "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", folder / "key.pem", "-out", folder / "cert.pem"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", folder / "key.pem", "-in", folder / "cert.pem",
                    "-passout", "env:ZVK_SIGN_PASSWORD", "-out", folder / "signer.p12"], check=True, env=env)
    return folder / "signer.p12"


def signed_release_problems(copy, work, unsigned_files):
    """Signs a release with a throwaway certificate: it must hold what the player and anyone who
    rebuilds it rely on."""
    env = dict(os.environ, ZVK_SIGN_PASSWORD="throwaway password")
    # Smart App Control takes RSA signatures only: a certificate with another key is refused,
    # before anything is built.
    refused = subprocess.run([str(copy / "tools" / "release"), "--sign",
                              throwaway_certificate(work / "ec-signer", ["ec", "-pkeyopt", "ec_paramgen_curve:P-256"], env),
                              str(work / "ec-signed")], capture_output=True, text=True, env=env)
    if refused.returncode == 0 or "not RSA" not in refused.stderr:
        problems = [f"tools/release --sign takes a certificate whose key is not RSA: {refused.stderr}"]
    else:
        problems = []
    files = release(copy, work / "signed", "--sign", throwaway_certificate(work / "signer", ["rsa:2048"], env), env=env)
    signer = work / "signer"
    problems += problems_with(files, None, signed=True)
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

    problems += verify_release_problems(copy, work, files, zip_name, unsigned_files["BUILDINFO.txt"])
    for name, data in files.items():
        print(f"  {hashlib.sha256(data).hexdigest()}  {name} ({len(data)} bytes, signed)")
    return problems


def changed_zip(original, change):
    """The zip `original` (bytes) with each member's bytes passed through `change`(name, bytes),
    which drops the member where it gives None."""
    archive = zipfile.ZipFile(io.BytesIO(original))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as changed:
        for entry in archive.infolist():
            data = change(entry.filename, archive.read(entry))
            if data is not None:
                changed.writestr(entry, data)
    return out.getvalue()


def flipped(data, at):
    data = bytearray(data)
    data[at] ^= 1
    return bytes(data)


def verify_release_problems(copy, work, files, zip_name, unsigned_buildinfo):
    """What tools/verify-release, rebuilding the copy, says of the signed release and of releases
    that are not what they say: each must get its verdict, in one line, and its exit code."""
    buildinfo = files["BUILDINFO.txt"].decode("ascii")
    another_signer = re.sub(r"(fingerprint: )[0-9A-F:]+", lambda m: m.group(1) + "AB:" * 31 + "AB",
                            buildinfo.replace("signer: CN=ZVK Camera Mode release check", "signer: CN=Someone Else"))
    release_zip = files[zip_name]
    member_changed = changed_zip(release_zip, lambda name, data: flipped(data, len(data) // 2)
                                 if name in ("ZvkCameraMode.exe", "ReadMe.txt") else data)
    cases = [  # what is published in place of the release's own, the exit code, and words of the verdict
        ("the release itself", {}, 0, ["is exactly the build of its sources"]),
        ("the exe and the ReadMe changed by a byte each, and a tool's line gone",
         {zip_name: member_changed, "BUILDINFO.txt": re.sub(r"cmake: [^\n]*\n", "", buildinfo).encode("ascii")}, 1,
         ["its exe is not that build", "its ReadMe.txt is not the build's", "BUILDINFO.txt lacks 'cmake:'"]),
        ("another signer's BUILDINFO.txt", {"BUILDINFO.txt": another_signer.encode("ascii")}, 1,
         ["BUILDINFO.txt says 'signer: CN=Someone Else'", "signer's certificate SHA-256 fingerprint: AB:AB"]),
        ("an unsigned build's BUILDINFO.txt", {"BUILDINFO.txt": unsigned_buildinfo}, 1, ["names no signer"]),
        ("a zip without the exe", {zip_name: changed_zip(release_zip, lambda name, data: None
                                                         if name == "ZvkCameraMode.exe" else data)}, 1,
         ["it holds no ZvkCameraMode.exe"]),
        ("not a zip", {zip_name: b"PK\3\4 not really"}, 1, ["it is not a zip"]),
        ("a damaged zip", {zip_name: flipped(release_zip, 200)}, 1, ["damaged"]),
        ("a .sig that is no signature", {zip_name[:-4] + ".exe.sig": b"-----BEGIN PKCS7-----\nnot one\n"}, 1,
         ["no Authenticode signature"]),
        ("a .sig that holds two", {zip_name[:-4] + ".exe.sig": 2 * (work / "signed" / (zip_name[:-4] + ".exe.sig"))
                                   .read_bytes()}, 1, ["more than one signature"]),
        ("no BUILDINFO.txt", {"BUILDINFO.txt": None}, 2, ["there is no BUILDINFO.txt"]),
        ("another program's BUILDINFO.txt", {"BUILDINFO.txt": b"Another 1.0\ncommit: 123\n"}, 2,
         ["is not this release's"]),
    ]
    problems = []
    for name, replaced, code, words in cases:
        folder = work / "published" / name.replace(" ", "-").replace("'", "")
        shutil.copytree(work / "signed", folder)
        for file, data in replaced.items():
            (folder / file).unlink()
            if data is not None:
                (folder / file).write_bytes(data)
        verified = subprocess.run([str(ROOT / "tools" / "verify-release"), "--sources", str(copy),
                                   str(folder / zip_name)], capture_output=True, text=True)
        verdict = [line for line in verified.stdout.splitlines() if line.startswith("verify-release: ")]
        if verified.returncode != code or not verdict or any(word not in verified.stdout for word in words) \
                or "Traceback" in verified.stdout + verified.stderr:
            problems.append(f"tools/verify-release on {name}: exit {verified.returncode}, not {code} with "
                            f"{words}: {verified.stdout}{verified.stderr}")
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
    problems += named_commands_problems()
    for name, data in first.items():
        print(f"  {hashlib.sha256(data).hexdigest()}  {name} ({len(data)} bytes)")
    problems += signed_release_problems(copy, work, first)
    for problem in problems:
        print(f"FAILED: {problem}")
    if not problems:
        print("The release builds the same bytes twice, and signed, the same exe with a signature attached")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) > 2 or (len(sys.argv) == 2 and sys.argv[1].startswith("-")):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:2]))
