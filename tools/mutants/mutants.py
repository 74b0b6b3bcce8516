#!/usr/bin/env python3
"""Mutation check: does the test suite notice small faults put into src/?

Each mutant changes one spot of one source file: a comparison flipped, a
constant changed, a condition negated, a statement deleted. The mutants are
the fixed list in fixed.txt plus a sample drawn from every candidate spot of
src/ with a fixed seed, so a run is repeatable and a spot keeps its place in
the sample when unrelated code changes. A mutant names its spot by file, the
text of the line and the text replaced, never by line number.

The source tree is copied to build-mutants/tree and only the copy is
mutated; it is built in Release in build-mutants/build, one file at a time,
and the unit test binary runs with --gtest_fail_fast under a time limit
(array bounds checked). Tests that fail before any mutant is put in are
left out, with a warning.
A mutant is killed when the suite fails or times out. Mutants listed in
equivalent.txt cannot change behaviour and are left out of the score, as
are those whose object code comes out the same as the original's (code
this host does not compile, changes the compiler folds away); mutants
that do not build are counted apart.

Usage: tools/mutants/mutants.py [--sample N] [--seed S] [--only TEXT]
                                [--without TESTS] [--list]
                                [--check-equivalent] [--jobs J]
"""

import argparse
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
WORK = os.path.join(ROOT, "build-mutants")
TREE = os.path.join(WORK, "tree")
BUILD = os.path.join(WORK, "build")
COPIED = ["CMakeLists.txt", "src", "tests", "examples"]
# Folders of src/ that get a share of the sample each, so that every folder
# has a score worth reading.
MIN_PER_FOLDER = 14

RELATIONS = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
             " == ": " != ", " != ": " == ", " && ": " || ", " || ": " && "}
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*(?:e[-+]?\d+)?|\d+e[-+]?\d+|\d+)"
                    r"(?![\w.])")
STATEMENT = re.compile(
    r"^(?:\+\+|--)?[A-Za-z_][\w.\->\[\]()]*"
    r"(?:\s*(?:[-+*/|&]?=|\+\+|--)\s*[^;]*|\([^;]*\))?;$")
KEYWORDS = ("return", "case", "default", "using", "namespace", "static",
            "const", "constexpr", "auto", "struct", "class", "enum",
            "template", "typedef", "delete", "new", "throw", "goto")


class Mutant:
    """One change: in `path`, on the `nth` line whose text (stripped) is
    `line`, the `occurrence`-th `old` becomes `new`."""

    def __init__(self, path, line, old, new, nth=0, occurrence=0, kind=""):
        self.path, self.line, self.old, self.new = path, line, old, new
        self.nth, self.occurrence, self.kind = nth, occurrence, kind
        self.lineno = 0
        self.outcome = ""

    def key(self):
        return (self.path, self.line, self.old, self.new, self.nth,
                self.occurrence)

    def folder(self):
        parts = self.path.split("/")
        return parts[1] if len(parts) > 2 else parts[0]

    def describe(self):
        new = self.new if self.new.strip(" {}") else "(deleted)"
        return "%s:%d: %s   [%s -> %s]" % (self.path, self.lineno, self.line,
                                           self.old.strip(), new.strip())

    def apply(self, text):
        """The mutated text, or None when the spot is no longer there."""
        lines = text.split("\n")
        seen = 0
        for index, raw in enumerate(lines):
            if raw.strip() != self.line:
                continue
            if seen < self.nth:
                seen += 1
                continue
            start = -1
            for _ in range(self.occurrence + 1):
                start = raw.find(self.old, start + 1)
                if start < 0:
                    return None
            lines[index] = raw[:start] + self.new + raw[start + len(self.old):]
            self.lineno = index + 1
            return "\n".join(lines)
        return None


def code_only(raw, in_block):
    """`raw` with comments, strings and characters blanked out (same
    length), and whether a block comment continues past it."""
    out = []
    k = 0
    while k < len(raw):
        if in_block:
            end = raw.find("*/", k)
            if end < 0:
                out.append(" " * (len(raw) - k))
                return "".join(out), True
            out.append(" " * (end + 2 - k))
            k = end + 2
            in_block = False
            continue
        c = raw[k]
        if raw.startswith("//", k):
            out.append(" " * (len(raw) - k))
            break
        if raw.startswith("/*", k):
            in_block = True
            continue
        if c in "\"'":
            end = k + 1
            while end < len(raw) and raw[end] != c:
                end += 2 if raw[end] == "\\" else 1
            out.append(c + " " * (min(end, len(raw)) - k - 1) +
                       (c if end < len(raw) else ""))
            k = end + 1
            continue
        out.append(c)
        k += 1
    return "".join(out), in_block


def changed_number(text):
    if "e" in text:
        mantissa, exponent = text.split("e")
        return mantissa + "e" + str(int(exponent) + 1)
    if "." in text:
        digits = text.rstrip(".")
        if digits.endswith("."):
            digits = digits[:-1]
        last = digits[-1]
        return digits[:-1] + ("1" if last == "0" else str(int(last) - 1) if
                              last != "1" or len(digits) > 1 else "2")
    value = int(text)
    return "1" if value == 0 else "0" if value == 1 else str(value + 1)


def balanced_end(code, start):
    """Index of the bracket closing the one at `start`, or -1."""
    depth = 0
    for k in range(start, len(code)):
        if code[k] == "(":
            depth += 1
        elif code[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def candidates(path, text):
    """Every mutant the operators give for one source file."""
    found = []
    counts = {}
    in_block = False
    # A statement can be deleted only when it starts on its line.
    statement_start = True
    for raw in text.split("\n"):
        stripped = raw.strip()
        nth = counts.get(stripped, 0)
        counts[stripped] = nth + 1
        code, in_block = code_only(raw, in_block)
        if not code.strip() or code.lstrip().startswith("#"):
            continue
        starts = statement_start
        statement_start = code.rstrip()[-1] in ";{}:"
        if "static_assert" in code or "operator" in code:
            continue

        def add(start, old, new, kind):
            occurrence = 0
            at = raw.find(old)
            while 0 <= at < start:
                occurrence += 1
                at = raw.find(old, at + 1)
            found.append(Mutant(path, stripped, old, new, nth, occurrence,
                                kind))

        for old, new in RELATIONS.items():
            start = code.find(old)
            while start >= 0:
                add(start, old, new, "relation")
                start = code.find(old, start + 1)
        for match in NUMBER.finditer(code):
            before = code[:match.start()].rstrip()
            if before.endswith("[") or (len(match.group(1)) > 1 and
                                        match.group(1)[0] == "0" and
                                        match.group(1)[1] != "."):
                continue
            add(match.start(), match.group(1), changed_number(match.group(1)),
                "constant")
        for word in ("if (", "while ("):
            start = code.find(word)
            while start >= 0:
                if start == 0 or not (code[start - 1].isalnum() or
                                      code[start - 1] == "_"):
                    open_at = start + len(word) - 1
                    close_at = balanced_end(code, open_at)
                    if close_at > 0:
                        condition = raw[open_at + 1:close_at]
                        add(open_at + 1, condition, "!(" + condition + ")",
                            "negation")
                start = code.find(word, start + 1)
        body = code.strip()
        start = code.find(body)
        if not starts:
            continue
        # A deleted statement leaves an empty block, which also stands after
        # an if without braces.
        if body in ("break;", "continue;"):
            add(start, body, "{}", "deletion")
        elif (STATEMENT.match(body) and body.split("(")[0].split(" ")[0]
              not in KEYWORDS and not body.startswith(KEYWORDS)):
            add(start, raw[start:start + len(body)], "{}", "deletion")
    # Keep only mutants that apply and change the text.
    return [m for m in found if m.apply(text) not in (None, text)]


def parse_list(path):
    """Mutants from fixed.txt or equivalent.txt, one a line:
    FILE | LINE | OLD => NEW [| NTH [| OCCURRENCE]]; blank lines and lines
    starting with '#' are comments (in equivalent.txt, the reasons)."""
    mutants = []
    if not os.path.exists(path):
        return mutants
    with open(path, encoding="utf-8") as listing:
        for number, raw in enumerate(listing, 1):
            if not raw.strip() or raw.lstrip().startswith("#"):
                continue
            fields = [f.strip() for f in raw.rstrip("\n").split(" | ")]
            if len(fields) < 3 or " => " not in fields[2]:
                sys.exit("%s:%d: expected FILE | LINE | OLD => NEW" %
                         (path, number))
            old, new = fields[2].split(" => ", 1)
            old = unquote(old)
            new = unquote(new)
            nth = int(fields[3]) if len(fields) > 3 else 0
            occurrence = int(fields[4]) if len(fields) > 4 else 0
            mutants.append(Mutant(fields[0], fields[1], old, new, nth,
                                  occurrence, "listed"))
    return mutants


def unquote(text):
    """Operators are written with their blanks in quotes: '" < "'; a
    deleted statement becomes an empty block."""
    if len(text) >= 2 and text[0] == text[-1] == '"':
        return text[1:-1]
    return "{}" if text == "(deleted)" else text


def loose_key(mutant):
    return (mutant.path, mutant.line, mutant.old.strip(), mutant.new.strip())


def rank(mutant, seed):
    digest = hashlib.sha256(("%d|%r" % (seed, mutant.key())).encode())
    return digest.hexdigest()


def sources():
    found = []
    for folder, _, files in os.walk(os.path.join(ROOT, "src")):
        for name in files:
            if name.endswith(".cc") and not name.endswith("_test.cc") \
                    and name != "main.cc":
                found.append(os.path.relpath(os.path.join(folder, name), ROOT))
    return sorted(found)


def read(path):
    with open(path, encoding="utf-8", newline="") as source:
        return source.read()


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="") as target:
        target.write(text)


def sync_tree():
    """Makes the copy equal to the checkout, touching only files that
    differ so that the next build stays incremental."""
    os.makedirs(TREE, exist_ok=True)
    wanted = set()
    for entry in COPIED:
        origin = os.path.join(ROOT, entry)
        paths = [origin] if os.path.isfile(origin) else [
            os.path.join(folder, name)
            for folder, _, files in os.walk(origin) for name in files]
        for path in paths:
            relative = os.path.relpath(path, ROOT)
            wanted.add(relative)
            copy = os.path.join(TREE, relative)
            if os.path.exists(copy) and not os.path.islink(path):
                with open(path, "rb") as a, open(copy, "rb") as b:
                    if a.read() == b.read():
                        continue
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            # A fresh time stamp: objects built from an older copy (even
            # after this file was last edited) must be built again.
            shutil.copyfile(path, copy)
    for folder, _, files in os.walk(TREE):
        for name in files:
            path = os.path.join(folder, name)
            if os.path.relpath(path, TREE) not in wanted:
                os.remove(path)
    # The tests read the sample parts from ../shared beside the sources.
    shared = os.path.join(os.path.dirname(ROOT), "shared")
    link = os.path.join(WORK, "shared")
    if os.path.isdir(shared) and not os.path.lexists(link):
        os.symlink(shared, link)


# The command running now, stopped with the script.
RUNNING = []


def run(command, timeout=None, quiet=True):
    """Exit code of `command`, None when it ran out of time; the whole
    process group is stopped then (the tests start the tool)."""
    process = subprocess.Popen(
        command, cwd=WORK, start_new_session=True,
        stdout=subprocess.DEVNULL if quiet else None,
        stderr=subprocess.DEVNULL if quiet else None)
    RUNNING[:] = [process]
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return None
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise


def object_digest(path):
    """Digest of the object file built from source `path`, or None."""
    built = os.path.join(BUILD, "CMakeFiles", "core.dir", path + ".o")
    if not os.path.exists(built):
        return None
    with open(built, "rb") as stream:
        return hashlib.sha256(stream.read()).hexdigest()


def build(jobs, quiet=True):
    return run(["cmake", "--build", BUILD, "--target", "unit_tests",
                "-j%d" % jobs], quiet=quiet) == 0


# The whole-program cases catch most mutants and stop at the first
# failure: they run first, the rest only if they all pass.
FIRST = ["CaseTest.*", "SamplePartsTest.*"]


def test(timeout, excluded=()):
    """0 when the suite passes, None when it ran out of time."""
    command = [os.path.join(BUILD, "unit_tests"), "--gtest_fail_fast",
               "--gtest_brief=1"]
    for phase in (":".join(FIRST) + "-" + ":".join(excluded),
                  "-" + ":".join(FIRST + list(excluded))):
        code = run(command + ["--gtest_filter=" + phase], timeout=timeout)
        if code != 0:
            return code
    return 0


def failing_tests():
    """The tests that fail without any mutant."""
    result = subprocess.run([os.path.join(BUILD, "unit_tests"),
                             "--gtest_brief=1"], cwd=WORK, text=True,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    failed = re.findall(r"^\[  FAILED  \] ([\w/.]+)", result.stdout, re.M)
    return sorted(set(failed))


def choose(all_candidates, fixed, sample, seed):
    """The fixed mutants, then the sample: the lowest ranks of every
    folder, each folder getting a share by its number of candidates and at
    least MIN_PER_FOLDER."""
    by_folder = {}
    for mutant in all_candidates:
        by_folder.setdefault(mutant.folder(), []).append(mutant)
    total = len(all_candidates)
    chosen = []
    for folder, group in sorted(by_folder.items()):
        share = max(MIN_PER_FOLDER, round(sample * len(group) / total))
        group.sort(key=lambda m: rank(m, seed))
        chosen.extend(group[:share])
    taken = set(loose_key(m) for m in fixed)
    return fixed + [m for m in chosen if loose_key(m) not in taken]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sample", type=int, default=130,
                        help="size of the random sample (default 130)")
    parser.add_argument("--seed", type=int, default=9)
    parser.add_argument("--only", default="",
                        help="run only mutants whose description matches this regex")
    parser.add_argument("--list", action="store_true",
                        help="print the mutants without running them")
    parser.add_argument("--check-equivalent", action="store_true",
                        help="run the mutants listed as equivalent too")
    parser.add_argument("--without", default="",
                        help="leave out the tests matching this gtest "
                        "pattern (A.*:B.C), to see what they alone catch")
    parser.add_argument("--jobs", type=int, default=2)
    options = parser.parse_args()

    texts = {path: read(os.path.join(ROOT, path)) for path in sources()}
    all_candidates = []
    for path, text in texts.items():
        all_candidates.extend(candidates(path, text))
    fixed = parse_list(os.path.join(HERE, "fixed.txt"))
    equivalent = set(loose_key(m)
                     for m in parse_list(os.path.join(HERE, "equivalent.txt")))
    mutants = choose(all_candidates, fixed, options.sample, options.seed)

    stale = []
    for mutant in mutants:
        if mutant.path not in texts:
            texts[mutant.path] = read(os.path.join(ROOT, mutant.path)) \
                if os.path.exists(os.path.join(ROOT, mutant.path)) else ""
        if mutant.apply(texts[mutant.path]) in (None, texts[mutant.path]):
            stale.append(mutant)
    mutants = [m for m in mutants if m not in stale]
    for mutant in mutants:
        if loose_key(mutant) in equivalent:
            mutant.outcome = "equivalent"
    if options.only:
        mutants = [m for m in mutants if re.search(options.only, m.describe())]
    mutants.sort(key=lambda m: (m.path, m.lineno))
    if options.list:
        for mutant in mutants:
            print("%-10s %-8s %s" % (mutant.kind, mutant.outcome,
                                     mutant.describe()))
        for mutant in stale:
            print("stale (not found):", mutant.describe())
        return 0

    started = time.time()
    sync_tree()
    if not os.path.exists(os.path.join(BUILD, "CMakeCache.txt")):
        # Array bounds are checked (a trap, no run-time library), as the
        # sanitiser build does: a mutant that reads past an array is caught
        # even where the bytes it reads happen not to change the output.
        if run(["cmake", "-S", TREE, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release",
                "-DQUILLERY_BENCH=OFF", "-DQUILLERY_FUZZ=OFF",
                "-DCMAKE_CXX_FLAGS=-fsanitize=bounds "
                "-fsanitize-undefined-trap-on-error"],
               quiet=False) != 0:
            sys.exit("mutants: cannot configure " + BUILD)
    print("Building the unmutated tree in", BUILD, flush=True)
    if not build(options.jobs, quiet=False):
        sys.exit("mutants: the unmutated tree does not build")
    # A mutant whose object code equals the original's (code the host does
    # not compile, or a change the compiler folds away) cannot change
    # anything; it is counted with the equivalent ones without running.
    digests = {path: object_digest(path) for path in texts}
    excluded = failing_tests()
    if options.without:
        excluded += options.without.split(":")
    if excluded:
        print("Left out (failing without any mutant, or --without):\n  " +
              "\n  ".join(excluded), flush=True)
    begin = time.time()
    if test(None, excluded) != 0:
        sys.exit("mutants: the suite fails without any mutant")
    baseline = time.time() - begin
    timeout = max(30.0, 5 * baseline)
    print("Suite: %.1f s unmutated, limit %.0f s per mutant; %d mutants"
          % (baseline, timeout, len(mutants)), flush=True)

    current = {}  # path -> original text, for the file mutated now

    def restore():
        for path, original in current.items():
            write(os.path.join(TREE, path), original)
        current.clear()

    def stop(signum, _frame):
        for process in RUNNING:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
        restore()
        sys.exit(128 + signum)

    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)
    try:
        for number, mutant in enumerate(mutants, 1):
            if mutant.outcome == "equivalent" and not options.check_equivalent:
                continue
            original = texts[mutant.path]
            current[mutant.path] = original
            write(os.path.join(TREE, mutant.path), mutant.apply(original))
            if not build(options.jobs):
                outcome = "unbuilt"
            elif object_digest(mutant.path) == digests.get(mutant.path):
                outcome = "same code"
            else:
                code = test(timeout, excluded)
                outcome = ("timeout" if code is None else
                           "survived" if code == 0 else "killed")
            restore()
            if mutant.outcome == "equivalent":
                outcome = "equivalent" if outcome in (
                    "survived", "same code") else "equivalent but " + outcome
            mutant.outcome = outcome
            print("[%3d/%d] %-10s %s" % (number, len(mutants), outcome,
                                          mutant.describe()), flush=True)
    finally:
        restore()
    build(options.jobs)
    report(mutants, stale, time.time() - started)
    return 0


def report(mutants, stale, seconds):
    print("\nScore per folder of src/ (killed / mutants that change "
          "behaviour):")
    folders = sorted(set(m.folder() for m in mutants))
    total_killed = total_counted = 0
    for folder in folders + [None]:
        group = [m for m in mutants if folder is None or m.folder() == folder]
        killed = sum(1 for m in group if m.outcome in ("killed", "timeout"))
        counted = killed + sum(1 for m in group if m.outcome == "survived")
        equivalent = sum(1 for m in group
                         if m.outcome in ("equivalent", "same code"))
        unbuilt = sum(1 for m in group if m.outcome == "unbuilt")
        name = folder if folder else "all"
        score = killed / counted if counted else 1.0
        print("  %-10s %.2f  %3d/%-3d  (%d equivalent or same code, "
              "%d not building)"
              % (name, score, killed, counted, equivalent, unbuilt))
        if folder is None:
            total_killed, total_counted = killed, counted
    survivors = [m for m in mutants if m.outcome == "survived"]
    print("\nSurvivors (%d):" % len(survivors))
    for mutant in survivors:
        print("  " + mutant.describe())
    wrong = [m for m in mutants if m.outcome.startswith("equivalent but")]
    if wrong:
        print("\nListed as equivalent but detected (fix equivalent.txt):")
        for mutant in wrong:
            print("  " + mutant.describe())
    if stale:
        print("\nListed mutants no longer found in the source (fix "
              "fixed.txt):")
        for mutant in stale:
            print("  %s | %s | %s" % (mutant.path, mutant.line, mutant.old))
    print("\n%d mutants, score %.3f, %.0f s" %
          (len(mutants), total_killed / max(total_counted, 1), seconds))


if __name__ == "__main__":
    sys.exit(main())
