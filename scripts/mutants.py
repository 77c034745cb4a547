#!/usr/bin/env python3
"""Mutation test of the core library: applies each mutant of scripts/mutants.txt on its own to
a scratch copy of the sources, rebuilds the library tests there and runs them. A mutant is
killed when the tests fail, crash or hang, and survives when they pass; one that no longer
compiles is listed apart. A mutant whose original snippet is no longer found exactly once is
stale and counted apart, so that the list can be brought up to date after the code moved.

usage: scripts/mutants.py [--list FILE] [--build DIR] [--timeout SECONDS] [NUMBER ...]
Numbers pick mutants of the list (1-based); without them all are run. The working tree is
never changed: everything happens in DIR/src (default build-mutants/src)."""

import argparse
import os
import shutil
import signal
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# What a library build needs; the viewer, packaging and fuzz inputs are left out.
COPIED = ["CMakeLists.txt", "bench", "cli", "cmake", "docs", "fuzz", "packaging", "samples", "src",
          "tests"]


def parse_list(path):
    """Blocks of: '# why' lines, the file, '- original' and '+ replacement' (one line each)."""
    mutants, current, why = [], None, []
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if not line.strip():
            current, why = None, []
            continue
        if line.startswith("#"):
            why.append(line[1:].strip())
        elif line.startswith("- "):
            current["old"] = line[2:].replace("\\n", "\n")
        elif line.startswith("+ "):
            current["new"] = line[2:].replace("\\n", "\n")
        else:
            current = {"file": line.strip(), "why": " ".join(why), "line": number}
            why = []
            mutants.append(current)
    for m in mutants:
        if "old" not in m or "new" not in m:
            sys.exit(f"{path}:{m['line']}: a mutant needs a '- ' and a '+ ' line")
    return mutants


def sync(src):
    wanted = set()
    for name in COPIED:
        top = ROOT / name
        files = [top] if top.is_file() else [p for p in top.rglob("*") if p.is_file()] if top.is_dir() else []
        for p in files:
            rel = p.relative_to(ROOT)
            if rel.parts[:2] in (("fuzz", "corpus"), ("tests", "fuzz-regressions")):
                continue
            wanted.add(rel)
            dest = src / rel
            if not dest.exists() or dest.read_bytes() != p.read_bytes():
                dest.parent.mkdir(parents=True, exist_ok=True)
                shutil.copy2(p, dest)
    for p in [p for p in src.rglob("*") if p.is_file()]:
        if p.relative_to(src) not in wanted:
            p.unlink()
    for d in ("fuzz/corpus", "tests/fuzz-regressions"):
        (src / d).mkdir(parents=True, exist_ok=True)


def run(cmd, cwd, timeout=None, log=None):
    try:
        r = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        if log:
            log.write_bytes(r.stdout)
        return r.returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def stop(*_):
    raise KeyboardInterrupt


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--list", default=str(ROOT / "scripts" / "mutants.txt"))
    ap.add_argument("--build", default=str(ROOT / "build-mutants"))
    ap.add_argument("--timeout", type=int, default=120, help="seconds for one run of the tests")
    ap.add_argument("--jobs", default=os.environ.get("JOBS", "2"))
    # Tests of the machine rather than the format: memory limits and 2 GiB files behave
    # differently in this unoptimised build and take long.
    ap.add_argument("--skip", default="LoadFile.FileTooLarge*:LoadFile.FileOverTwoGigabytes*",
                    help="gtest patterns of tests left out")
    ap.add_argument("numbers", nargs="*", type=int)
    args = ap.parse_args()

    mutants = parse_list(Path(args.list))
    chosen = args.numbers or list(range(1, len(mutants) + 1))
    build = Path(args.build)
    src, obj = build / "src", build / "obj"

    # The scratch copy is brought up to date file by file, keeping the times of files that did
    # not change, so that a second run rebuilds only what changed.
    sync(src)
    if run(["cmake", "-S", str(src), "-B", str(obj), "-DCMAKE_BUILD_TYPE=Debug", "-DKAVEX_BUILD_GUI=OFF",
            "-DCMAKE_CXX_COMPILER_LAUNCHER=" + (shutil.which("ccache") or "")], ROOT, log=build / "configure.log") != 0:
        sys.exit(f"configuring failed, see {build / 'configure.log'}")
    tests = [str(obj / "tests" / "kavex_tests"), "--gtest_brief=1", "--gtest_filter=-" + args.skip]
    make = ["cmake", "--build", str(obj), "-j", args.jobs, "--target", "kavex_tests"]
    if run(make, ROOT, log=build / "build.log") != 0 or run(tests, obj / "tests", args.timeout) != 0:
        sys.exit(f"the unchanged library or its tests fail, see {build / 'build.log'}")

    killed, survivors, stale, broken = [], [], [], []
    for n in chosen:
        m = mutants[n - 1]
        target = src / m["file"]
        label = f"{n:3d} {m['file']}: {m['old'].strip()}  ->  {m['new'].strip()}".replace("\n", "\\n")
        text = target.read_text() if target.exists() else ""
        if text.count(m["old"]) != 1:
            stale.append(label)
            print(f"stale    {label}", flush=True)
            continue
        try:
            target.write_text(text.replace(m["old"], m["new"]))
            if run(make, ROOT, log=build / "mutant.log") != 0:
                broken.append(label)
                verdict = "no build"
            else:
                status = run(tests, obj / "tests", args.timeout)
                verdict = "killed" if status != 0 else "SURVIVED"
                (killed if status != 0 else survivors).append(label + (f"  ({m['why']})" if m["why"] else ""))
        finally:
            target.write_text(text)  # the scratch copy is whole again, also after Ctrl+C
        print(f"{verdict:8s} {label}", flush=True)

    run(make, ROOT)  # leave the scratch build matching the sources
    tried = len(killed) + len(survivors)
    share = 100.0 * len(killed) / tried if tried else 0.0
    print(f"\nkilled {len(killed)} of {tried} ({share:.1f} %)", end="")
    print(f"; {len(stale)} stale" if stale else "", end="")
    print(f"; {len(broken)} did not build" if broken else "")
    for title, rows in (("survivors", survivors), ("stale (snippet not found once: update the list)", stale),
                        ("did not build", broken)):
        if rows:
            print(f"\n{title}:")
            for row in rows:
                print("  " + row)
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, stop)
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit(130)
