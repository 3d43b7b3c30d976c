#!/usr/bin/env python3
"""Hand-made mutants of the product against the test suites: each mutant of
mutants.txt in turn is applied to a scratch copy of this working tree, the
x86_64 preset built, and its suites run; the end says which mutants no test
killed. A tool for a person, not part of the test command: a full run takes
about an hour.

    tools/mutants/run.py [--scratch DIR] [--out FILE] [WORD ...]

WORD: only the mutants whose line holds it. Where this machine runs the
shipped i686 exe, natively or under qemu-i386 (scripts/install-deps.sh), a
mutant the suites leave alive has its i686 velmo.exe built and driven as the
test command's smoke drives it, so that what only the 32-bit exe does (its
registry view) can be caught."""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

REPO = pathlib.Path(__file__).resolve().parents[2]


def unescape(text):
    out, chars = [], iter(text)
    for char in chars:
        if char != "\\":
            out.append(char)
            continue
        following = next(chars, "")
        out.append({"n": "\n", "t": "\t", "\\": "\\"}.get(following, "\\" + following))
    return "".join(out)


def mutants(words):
    for number, line in enumerate((REPO / "tools/mutants/mutants.txt").read_text().splitlines(), 1):
        if not line or line.startswith("#") or not all(word in line for word in words):
            continue
        path, old, new, what = line.split("\t")
        yield number, path, unescape(old), unescape(new), what


def run(command, cwd, log, env=None):
    with open(log, "a") as output:
        output.write("\n$ " + " ".join(command) + "\n")
        output.flush()
        return subprocess.run(command, cwd=cwd, stdout=output, stderr=subprocess.STDOUT,
                              env=env).returncode


def first_failure(log, start):
    """The first suite ctest lists as failed in what the log gained since
    start: a suite that failed once and then passed killed nothing."""
    with open(log, errors="replace") as text:
        text.seek(start)
        for line in text:
            listed = re.match(r"\s+\d+ - (\S+) \((Failed|Timeout|Exception)", line)
            if listed:
                return listed.group(1)
    return "the i686 smoke"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scratch", default="/tmp/velmo-mutants")
    parser.add_argument("--out", help="also write the results to this file")
    parser.add_argument("words", nargs="*")
    options = parser.parse_args()
    scratch = pathlib.Path(options.scratch)
    source = scratch / "src"
    log = scratch / "run.log"
    scratch.mkdir(parents=True, exist_ok=True)
    log.write_text("")

    # The working tree as it stands, committed or not.
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=REPO,
                           check=True, capture_output=True).stdout.decode().split("\0")
    if source.exists():
        for child in source.iterdir():
            if child.name != "build":
                shutil.rmtree(child) if child.is_dir() else child.unlink()
    for name in filter(None, files):
        target = source / name
        target.parent.mkdir(parents=True, exist_ok=True)
        if (REPO / name).is_file():
            shutil.copy2(REPO / name, target)
    (source / "build").mkdir(exist_ok=True)
    shutil.copy2(REPO / "build/i686", source / "build/i686") if (REPO / "build/i686").exists() else None

    verdict = source / "build/i686"
    i686 = verdict.read_text().split()[0] if verdict.exists() else "none"
    if i686 not in ("native", "emulated"):
        # What only the 32-bit exe does (its registry view) goes unchecked.
        print("NOT RUN: the i686 smoke; build/i686 (scripts/install-deps.sh) says this machine "
              "cannot run 32-bit code, so a mutant only it kills will survive")
    env = dict(os.environ)
    # Without DISPLAY, tests/wine-run.sh gives the scratch prefix a display.

    def build(presets=("win64",)):
        for preset in presets:
            if run(["cmake", "--preset", preset], source, log) != 0:
                return False
            targets = [] if preset == "win64" else ["--target", "velmo"]
            if run(["cmake", "--build", "--preset", preset] + targets, source, log) != 0:
                return False
        return True

    def suites():
        # A suite that fails is run once more: a flake under load kills nothing.
        if run(["ctest", "--preset", "win64", "--stop-on-failure", "--repeat", "until-pass:2"],
               source, log, env) != 0:
            return False
        if i686 not in ("native", "emulated"):
            return True
        # Only for what the suites left alive: under qemu-i386 the smoke takes minutes.
        smoke = dict(env, VELMO_EXE=str(source / "build/win32/velmo.exe"))
        if i686 == "emulated":
            smoke["VELMO_DEADLINE_SCALE"] = "20"
        return build(("win32",)) and run(
            ["tests/wine-run.sh", str(source / "build/win64/wineprefix"),
             "build/win64/app_startup_tests.exe",
             "--gtest_filter=Views/MachineValueView.*/Native"], source, log, smoke) == 0

    print(f"scratch copy in {source}; log in {log}")
    return run_all(options, source, log, build, suites)


def run_all(options, source, log, build, suites):
    if not build() or not suites():
        print("the unmutated tree does not build or pass: see the log")
        return 2

    results = []
    for number, path, old, new, what in mutants(options.words):
        target = source / path
        original = target.read_text()
        if original.count(old) != 1:
            results.append((number, "NOT APPLIED", what, "text not found once in " + path))
            print(f"{number:3} NOT APPLIED  {what}")
            continue
        started, start = time.time(), log.stat().st_size
        target.write_text(original.replace(old, new))
        try:
            if not build():
                verdict, by = "BUILD FAILED", ""
            elif suites():
                verdict, by = "SURVIVED", ""
            else:
                verdict, by = "killed", first_failure(log, start)
        finally:
            target.write_text(original)
        results.append((number, verdict, what, by))
        print(f"{number:3} {verdict:12} {what}  {by}  ({time.time() - started:.0f} s)", flush=True)
    build()

    survivors = [row for row in results if row[1] != "killed"]
    summary = [f"{len(results) - len(survivors)} of {len(results)} mutants killed"]
    summary += [f"  {row[1]}: line {row[0]}: {row[2]}" for row in survivors]
    print("\n".join(summary))
    if options.out:
        pathlib.Path(options.out).write_text(
            "\n".join(f"{n}\t{v}\t{w}\t{b}" for n, v, w, b in results) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
