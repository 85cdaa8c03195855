#!/usr/bin/env python3
"""Runs tools/install-deps on machines unlike this one, made of stand-ins for apt-get, dpkg,
dpkg-query and id, and checks what it asks of apt: the i386 architecture before the first
install, one apt-get update, the release's own suite only where 32-bit Wine is to be installed
beside a package list that could not be read, every suite where that one cannot give all, and
one message that names everything a user without root must install.
"""
import os
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# apt-get logs its arguments; an install records its packages, and fails where FAIL_WITH is
# among its arguments; installing wine32:i386 makes the 32-bit loader start.
STAND_INS = {
    "apt-get": """#!/bin/sh
echo "apt-get $*" >> "$M/log"
[ "$1" = update ] && exit "${UPDATE_RC:-0}"
case " $* " in *" $FAIL_WITH "*) [ -n "$FAIL_WITH" ] && exit 100 ;; esac
for a in "$@"; do case $a in -*|install|"$FAIL_WITH") ;; *) echo "$a" >> "$M/installed" ;; esac; done
case " $* " in *" wine32:i386 "*) printf '#!/bin/sh\\necho wine-8.0\\n' > "$M/wine"; chmod +x "$M/wine" ;; esac
""",
    "dpkg": """#!/bin/sh
echo "dpkg $*" >> "$M/log"
case $1 in --print-foreign-architectures) cat "$M/archs" ;; --add-architecture) echo "$2" >> "$M/archs" ;; esac
""",
    "dpkg-query": """#!/bin/sh
for last; do :; done
grep -qx "$last" "$M/installed" && printf 'install ok installed'
exit 0
""",
    "id": """#!/bin/sh
echo "${USER_ID:-0}"
""",
}


def run(machine, *options, installed=(), archs="", update_rc=0, fail_with="", user_id=0,
        os_release="VERSION_CODENAME=bookworm\n"):
    """install-deps on a machine in folder `machine`: its exit code, its words, apt's calls."""
    machine.mkdir()
    (machine / "installed").write_text("".join(f"{p}\n" for p in installed))
    (machine / "archs").write_text(archs)
    (machine / "log").write_text("")
    if os_release is not None:
        (machine / "os-release").write_text(os_release)
    for name, text in STAND_INS.items():
        (machine / name).write_text(text)
        (machine / name).chmod(0o755)
    script = (ROOT / "tools" / "install-deps").read_text()
    script = script.replace("/usr/lib/wine/wine", f"{machine}/wine")
    script = script.replace("/etc/os-release", f"{machine}/os-release")
    (machine / "install-deps").write_text(script)
    env = dict(os.environ, M=str(machine), PATH=f"{machine}:{os.environ['PATH']}",
               UPDATE_RC=str(update_rc), FAIL_WITH=fail_with, USER_ID=str(user_id))
    done = subprocess.run(["sh", str(machine / "install-deps"), *options], env=env,
                          capture_output=True, text=True)
    calls = [line for line in (machine / "log").read_text().splitlines()
             if not line.startswith("dpkg --print")]
    return done.returncode, done.stdout + done.stderr, calls


def installs(calls):
    return [call for call in calls if call.startswith("apt-get install")]


def problems_of(folder):
    problems = []

    def expect(case, true, what):
        if not true:
            problems.append(f"{case}: {what}")

    # A new machine whose mirror fails the i386 security list: i386 first, one update, and
    # every install from bookworm alone.
    code, words, calls = run(folder / "new", update_rc=100)
    expect("new machine, a list unread", code == 0, f"exit code {code}: {words}")
    expect("new machine, a list unread", calls[:2] == ["dpkg --add-architecture i386", "apt-get update -qq"],
           f"i386 is not added before the one update: {calls}")
    expect("new machine, a list unread", calls.count("apt-get update -qq") == 1, f"not one update: {calls}")
    expect("new machine, a list unread", len(installs(calls)) == 2
           and all(" -t bookworm " in call for call in installs(calls)), f"not all from bookworm: {calls}")
    expect("new machine, a list unread", "wine32:i386" in installs(calls)[-1], f"no wine32:i386: {calls}")

    # Only the build's packages: no i386 half to match, so every suite, security's among them.
    code, words, calls = run(folder / "build", "--build", archs="i386\n", update_rc=100)
    expect("build only, a list unread", code == 0 and len(installs(calls)) == 1
           and " -t " not in installs(calls)[0] and "wine32" not in installs(calls)[0],
           f"exit code {code}, installs {calls}")

    # 32-bit Wine there already: no install takes one suite alone.
    code, words, calls = run(folder / "has-wine32", installed=["wine32:i386"], archs="i386\n", update_rc=100)
    expect("wine32 there, a list unread", not any(" -t " in call for call in installs(calls)),
           f"an install from one suite: {calls}")

    # Where the release's own suite cannot give all, every suite.
    code, words, calls = run(folder / "older", update_rc=100, fail_with="-t")
    expect("bookworm alone cannot give all", code == 0 and len(installs(calls)) == 4
           and [" -t " in call for call in installs(calls)] == [True, False, True, False],
           f"exit code {code}, installs {installs(calls)}")

    # No release name to take: the lists it has, and no package taken for one.
    for name, os_release in (("no-codename", "ID=debian\n"), ("no-os-release", None)):
        code, words, calls = run(folder / name, update_rc=100, os_release=os_release)
        expect(name, code == 0 and not any(" -t " in call for call in installs(calls))
               and "wine32:i386" in installs(calls)[-1], f"exit code {code}, {words}, installs {calls}")

    # All lists read: every suite, one update.
    code, words, calls = run(folder / "whole", archs="i386\n")
    expect("every list read", code == 0 and calls.count("apt-get update -qq") == 1
           and not any(" -t " in call for call in installs(calls)), f"exit code {code}, calls {calls}")

    # Without root: one message with every package and the i386 architecture, and nothing done.
    code, words, calls = run(folder / "user", user_id=1000)
    wanted = "As root: dpkg --add-architecture i386 && apt-get update && apt-get install cmake make "
    expect("without root", code == 1 and wanted in words and " osslsigncode openssl wine32:i386 (" in words
           and calls == [],
           f"exit code {code}, words {words!r}, calls {calls}")

    # A failed install says so, with what it had changed and how to undo it.
    code, words, calls = run(folder / "failing", fail_with="wine")
    expect("a failed install", code != 0 and "apt-get install" in words and "failed" in words
           and "dpkg --remove-architecture i386" in words, f"exit code {code}, words {words!r}")
    return problems


def main():
    with tempfile.TemporaryDirectory() as folder:
        problems = problems_of(Path(folder))
    for problem in problems:
        print(f"check_install_deps: {problem}", file=sys.stderr)
    if problems:
        return 1
    print("install-deps asks apt for what each machine needs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
