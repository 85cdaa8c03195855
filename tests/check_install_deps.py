#!/usr/bin/env python3
"""Runs tools/install-deps on machines unlike this one, made of stand-ins for apt-get, dpkg,
dpkg-query and id, and checks what it asks of apt and what it says."""
import os
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# apt-get logs its arguments. wine32:i386 goes in, or is simulated, only where HALVES names
# no suite (both halves agree in every suite) or the suite the call takes alone; "none" is a
# machine where no suite has them. An install records its packages and fails where FAIL_WITH
# is among them; installing wine32:i386 makes the 32-bit loader start. dpkg-query knows of
# the packages installed, or of all but wine32:i386 where ALL_BUT_WINE32 is set.
STAND_INS = {
    "apt-get": """#!/bin/sh
echo "apt-get $*" >> "$M/log"
[ "$1" = update ] && exit "${UPDATE_RC:-0}"
case " $* " in *" wine32:i386 "*)
    case "$HALVES: $* " in :*|"$HALVES: "*" -t $HALVES "*) ;; *) echo "E: Unable to correct problems" >&2; exit 100 ;; esac
esac
case " $* " in *" -s "*) echo "Inst $*"; exit 0 ;; *" $FAIL_WITH "*) [ -n "$FAIL_WITH" ] && exit 100 ;; esac
skip=
for a in "$@"; do
    case $a in -t) skip=yes ;; -*|install) ;; *) [ -n "$skip" ] || echo "$a" >> "$M/installed"; skip= ;; esac
done
case " $* " in *" wine32:i386 "*) printf '#!/bin/sh\\necho wine-8.0\\n' > "$M/wine"; chmod +x "$M/wine" ;; esac
""",
    "dpkg": """#!/bin/sh
echo "dpkg $*" >> "$M/log"
case $1 in --print-foreign-architectures) cat "$M/archs" ;; --add-architecture) echo "$2" >> "$M/archs" ;; esac
""",
    "dpkg-query": """#!/bin/sh
for last; do :; done
[ -n "$ALL_BUT_WINE32" ] && [ "$last" != wine32:i386 ] && printf 'install ok installed'
grep -qx "$last" "$M/installed" && printf 'install ok installed'
exit 0
""",
    "id": """#!/bin/sh
echo "${USER_ID:-0}"
""",
}


def run(machine, *options, archs="", update_rc=0, halves="", all_but_wine32="", fail_with="",
        user_id=0, os_release="VERSION_CODENAME=bookworm\n"):
    """install-deps on a machine in folder `machine`: its exit code, its words, apt's calls."""
    machine.mkdir()
    for name, text in (("installed", ""), ("archs", archs), ("log", "")):
        (machine / name).write_text(text)
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
               UPDATE_RC=str(update_rc), HALVES=halves, ALL_BUT_WINE32=all_but_wine32,
               FAIL_WITH=fail_with, USER_ID=str(user_id))
    done = subprocess.run(["sh", str(machine / "install-deps"), *options], env=env,
                          capture_output=True, text=True)
    calls = [line for line in (machine / "log").read_text().splitlines()
             if not line.startswith("dpkg --print")]
    return done.returncode, done.stdout + done.stderr, calls


def installs(calls):
    return [call for call in calls if call.startswith("apt-get install -y")]


def packages(call):
    return {word for word in call.split()[2:] if not word.startswith("-") and word != "bookworm"}


def simulated(calls):
    """The packages of the first simulation, which must be those of every install after it."""
    return next(packages(call) for call in calls if call.startswith("apt-get install -s"))


def installed(calls):
    return set().union(*map(packages, installs(calls)))


def from_bookworm(calls):
    return [" -t bookworm " in call for call in installs(calls)]


UNREAD = dict(update_rc=100, halves="bookworm")
# Each machine, and what install-deps must ask of it, given its exit code, words and calls.
MACHINES = (
    ("new, the mirror's i386 security list unread", (),
        dict(UNREAD, os_release='VERSION_CODENAME="bookworm"\n'), lambda code, words, calls:
        code == 0 and calls[:2] == ["dpkg --add-architecture i386", "apt-get update -qq --error-on=any"]
        and "with bookworm preferred, it can" in words and simulated(calls) == installed(calls)
        and calls.count("apt-get update -qq --error-on=any") == 1 and from_bookworm(calls) == [True, True]
        and " bookworm cmake make " in installs(calls)[0] and installs(calls)[0].endswith(" osslsigncode openssl")),
    ("a list unread, both halves in every suite", (), dict(update_rc=100), lambda code, words, calls:
        code == 0 and from_bookworm(calls) == [False, False]),
    ("a list unread, no suite with both halves", (), dict(update_rc=100, halves="none"),
        lambda code, words, calls: code == 1 and installs(calls) == [] and "nothing was installed" in words
        and "apt's words:\nE: Unable to correct problems" in words and "dpkg --remove-architecture i386" in words),
    ("a list unread, only wine32:i386 missing", (), dict(UNREAD, all_but_wine32="yes"),
        lambda code, words, calls: code == 0 and calls[1] == "apt-get update -qq --error-on=any"
        and from_bookworm(calls) == [True] and installs(calls)[0].endswith(" wine32:i386")),
    ("an install failing", (), dict(UNREAD, fail_with="wine"), lambda code, words, calls:
        code != 0 and "apt-get install -t bookworm cmake make " in words and "failed, and may have installed" in words),
    ("the build alone, a list unread", ("--build",), dict(UNREAD, archs="i386\n"),
        lambda code, words, calls: code == 0 and from_bookworm(calls) == [False] and " -s " not in str(calls)),
    ("no release name", (), dict(UNREAD, os_release=None), lambda code, words, calls:
        code == 1 and " -t " not in str(calls) and "nothing was installed" in words),
    ("every list read", (), dict(archs="i386\n"), lambda code, words, calls:
        code == 0 and from_bookworm(calls) == [False, False] and " -s " not in str(calls)),
    ("without root", (), dict(user_id=1000), lambda code, words, calls:
        code == 1 and calls == [] and " osslsigncode openssl wine32:i386 (" in words
        and "As root: dpkg --add-architecture i386 && apt-get update && apt-get install cmake " in words),
)


def main():
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        for index, (name, options, machine, right) in enumerate(MACHINES):
            code, words, calls = run(Path(folder) / str(index), *options, **machine)
            if not right(code, words, calls):
                problems.append(f"check_install_deps: {name}: exit code {code}, {words!r}, {calls}")
    print("\n".join(problems) or "install-deps asks apt for what each machine needs",
          file=sys.stderr if problems else sys.stdout)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
