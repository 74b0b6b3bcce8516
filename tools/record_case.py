#!/usr/bin/env python3
"""Records what the built tool does in whole-program cases under tests/cases.

For each case folder given, runs build/quillery (or --binary) with the
folder's `args` in a copy of its `in/` folder (and of what `copy` lists)
and rewrites `stdout`, `exit`
(only when not 0) and `out/` (every file the run created or changed). Review
the recorded bytes with `git diff` before committing them: this writes down
what the tool does, not what it should do. `gone` is never written.

Usage: tools/record_case.py [--binary PATH] tests/cases/NAME...
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def snapshot(folder):
    files = {}
    for parent, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(parent, name)
            with open(path, "rb") as stream:
                files[os.path.relpath(path, folder)] = stream.read()
    return files


def record(case, binary):
    with open(os.path.join(case, "args"), "rb") as stream:
        text = stream.read().decode()
    args = text.split("\n")
    if args and args[-1] == "":
        args.pop()
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(case, "in")
        if os.path.isdir(source):
            shutil.copytree(source, work, dirs_exist_ok=True)
        copies = os.path.join(case, "copy")
        if os.path.exists(copies):
            with open(copies) as stream:
                for line in stream.read().splitlines():
                    if not line.strip():
                        continue
                    origin, target = line.split()
                    origin = os.path.join(ROOT, origin)
                    target = os.path.join(work, target)
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    if os.path.isdir(origin):
                        shutil.copytree(origin, target, dirs_exist_ok=True)
                    else:
                        shutil.copy(origin, target)
        before = snapshot(work)
        run = subprocess.run([binary] + args, cwd=work,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        after = snapshot(work)
    with open(os.path.join(case, "stdout"), "wb") as stream:
        stream.write(run.stdout)
    exit_file = os.path.join(case, "exit")
    if run.returncode != 0:
        with open(exit_file, "w") as stream:
            stream.write("%d\n" % run.returncode)
    elif os.path.exists(exit_file):
        os.remove(exit_file)
    shutil.rmtree(os.path.join(case, "out"), ignore_errors=True)
    for name, data in sorted(after.items()):
        if before.get(name) == data:
            continue
        target = os.path.join(case, "out", name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as stream:
            stream.write(data)
    print("%s: exit %d" % (case, run.returncode))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary",
                        default=os.path.join(ROOT, "build", "quillery"))
    parser.add_argument("cases", nargs="+")
    options = parser.parse_args()
    for case in options.cases:
        record(case.rstrip("/"), os.path.abspath(options.binary))
    return 0


if __name__ == "__main__":
    sys.exit(main())
