#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation testing for Quillmark: plants one small fault at a time in a source file,
rebuilds the test programs of that file's area in a plain (unsanitised) build tree, runs
them, and counts the fault killed when a test fails or times out.

Usage: tools/mutants.py BUILD_DIR [FILE...]
Environment: MUTANTS_FILES (blank-separated files, instead of the default list),
MUTANTS_MAX (mutants per file, default 20), MUTANTS_JOBS (build jobs, default nproc),
MUTANTS_WHO (a file: every test program runs for every mutant, and the tests that failed
are recorded there, one JSON line per mutant; `tools/mutants.py --who FILE` then lists
each test with the mutants it killed and those only it killed).

Prints one line per file, `file mutants killed survived score`, then the survivors. Reports
and never fails. Every file it touches is put back, also on Ctrl-C or a failed build; a run
that was killed outright is repaired at the next start from the copy it left.
"""
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

DEFAULT_FILES = """
platform/files/profile_text.cpp platform/files/file_replace.cpp
platform/files/dos_attribute_store.cpp platform/files/dos_attrib_blob.cpp
platform/registry/hive_document.cpp platform/registry/hive_text.cpp
platform/icons/icon_file.cpp platform/icons/bitmap_decoder.cpp
wizard/apply.cpp wizard/navigation.cpp store/recent_folders.cpp
store/folder_customisation.cpp store/finish_journal.cpp store/finish_repair.cpp
pages/icons/folder_entry.cpp pages/icons/icon_grid.cpp
""".split()

# The test programs of each area: the folder's own tests and those of the areas built on it
# that exercise it directly. The real file-system tests (mounts, smbd) are left out: they
# need root and minutes per run.
AREAS = [
    ("platform/files/", ["qm_tests_platform_files", "qm_tests_store", "qm_tests_sys"]),
    ("platform/registry/", ["qm_tests_platform_registry", "qm_tests_store"]),
    ("platform/icons/", ["qm_tests_platform_icons", "qm_tests_cli", "qm_tests_pages_icons_modules"]),
    ("store/", ["qm_tests_store", "qm_tests_wizard", "qm_tests_cli"]),
    ("pages/", ["qm_tests_pages_icons", "qm_tests_pages_tooltip", "qm_tests_wizard"]),
    ("wizard/", ["qm_tests_wizard", "qm_tests_pages_icons"]),
]

# (name, pattern, replacement); each match on a code line is one mutant.
OPERATORS = [
    ("==>!=", r" == ", " != "),
    ("!=>==", r" != ", " == "),
    ("<=><", r" <= ", " < "),
    ("<><=", r" < ", " <= "),
    (">=>>", r" >= ", " > "),
    (">>>=", r" > ", " >= "),
    ("&&>||", r" && ", " || "),
    ("||>&&", r" \|\| ", " && "),
    ("+1>-1", r" \+ 1\b", " - 1"),
    ("-1>+1", r" - 1\b", " + 1"),
    ("!x>x", r"(?<=\()!(?!=)", ""),
    ("true>false", r"\breturn true;", "return false;"),
    ("false>true", r"\breturn false;", "return true;"),
    ("0>1", r"\breturn 0;", "return 1;"),
    ("N>N+1", r"(?<![\w.])([2-9]|[1-9]\d+)(?![\w.'])", None),
]
STATEMENT = re.compile(
    r"^\s*[A-Za-z_]\w*(?:(?:\.|->|::)[A-Za-z_]\w*|\[[^\]]*\])*\s*"
    r"(?:\(.*\)|[-+*/|&]?=\s*[^=].*|\+\+|--);\s*$")


def code_mask(lines):
    """Per line, the text with comments, strings and character literals blanked, or None
    for lines that are not code (preprocessor lines, lines inside block comments)."""
    out, in_block = [], False
    for line in lines:
        masked, i, n = [], 0, len(line)
        if not in_block and line.lstrip().startswith("#"):
            out.append(None)
            continue
        while i < n:
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    masked.append(" " * (n - i))
                    i = n
                else:
                    masked.append(" " * (end + 2 - i))
                    i, in_block = end + 2, False
            elif line.startswith("//", i):
                masked.append(" " * (n - i))
                i = n
            elif line.startswith("/*", i):
                in_block = True
            elif line[i] in "\"'":
                q, j = line[i], i + 1
                while j < n and line[j] != q:
                    j += 2 if line[j] == "\\" else 1
                masked.append(q + " " * (min(j, n) - i - 1) + (q if j < n else ""))
                i = j + 1
            else:
                masked.append(line[i])
                i += 1
        text = "".join(masked)
        out.append(text if text.strip() else None)
    return out


def candidates(lines):
    found = []
    for no, code in enumerate(code_mask(lines)):
        if code is None:
            continue
        for name, pattern, repl in OPERATORS:
            for m in re.finditer(pattern, code):
                new = str(int(m.group(0)) + 1) if repl is None else repl
                found.append((no, m.start(), m.end(), new, name))
        if STATEMENT.match(code) and code.count("(") == code.count(")"):
            found.append((no, 0, len(lines[no].rstrip("\n")), ";", "drop"))
    return found


def pick(path, found, cap):
    # The same source gives the same sample, so two runs over unchanged code compare.
    seed = int(hashlib.sha1(path.encode()).hexdigest()[:8], 16)
    chosen = list(found)
    random.Random(seed).shuffle(chosen)
    return sorted(chosen[:cap])


def apply(lines, mutant):
    no, start, end, new, _ = mutant
    out = list(lines)
    line = out[no]
    out[no] = line[:start] + new + line[end:]
    if not out[no].endswith("\n"):
        out[no] += "\n"
    return out


def restore(saved, path):
    # A plain copy: the file gets a new time, so the build sees it changed
    # and the last mutant's object is rebuilt.
    shutil.copyfile(saved, path)


def run(cmd, timeout=None, **kw):
    # In a session of its own: a mutant that signals its process group
    # (kill(0, ...) from a fork gone wrong) must not end this runner.
    try:
        return subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, start_new_session=True, **kw).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


class Session:
    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.jobs = os.environ.get("MUTANTS_JOBS", str(os.cpu_count() or 1))
        self.backup_dir = os.path.join(build, "mutants-originals")
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        self.who = os.environ.get("MUTANTS_WHO")

    def restore_leftovers(self):
        # A run killed outright left its originals here: put them back first.
        if not os.path.isdir(self.backup_dir):
            return
        for root, _, files in os.walk(self.backup_dir):
            for f in files:
                saved = os.path.join(root, f)
                target = os.path.relpath(saved, self.backup_dir)
                restore(saved, target)
                print(f"restored {target} from an interrupted run")
        shutil.rmtree(self.backup_dir)

    def build_targets(self, targets):
        cmd = ["cmake", "--build", self.build, "-j", self.jobs, "--target", *targets]
        return run(cmd) == 0

    def test(self, programs, limits, killers=None):
        """True when every program passes. With a killers list, every program runs and the
        tests that failed are added to it; otherwise the first failing program ends it."""
        passed = True
        for prog in programs:
            exe = os.path.join(self.build, "tests", prog)
            report = os.path.join(self.build, "mutants-report.json")
            if os.path.exists(report):
                os.remove(report)
            args = [exe, "--gtest_brief=1"] + ([f"--gtest_output=json:{report}"] if killers is not None else [])
            rc = run(args, timeout=limits[prog], env=self.env, cwd=os.path.join(self.build, "tests"))
            if rc == 0:
                continue
            passed = False
            if killers is None:
                return False
            killers.extend(failed_tests(report) or [f"{prog}:{'timeout' if rc == 'timeout' else 'crash'}"])
        return passed


def failed_tests(report):
    try:
        with open(report, encoding="utf-8") as f:
            suites = json.load(f).get("testsuites", [])
    except (OSError, ValueError):
        return []
    return [f"{suite['name']}.{case['name']}" for suite in suites for case in suite.get("testsuite", [])
            if case.get("failures")]


def who_report(path):
    """Per test: the mutants it killed and how many of them no other test killed."""
    kills, only = {}, {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = json.loads(line)
            for t in m["killers"]:
                kills[t] = kills.get(t, 0) + 1
            if len(m["killers"]) == 1:
                only[m["killers"][0]] = only.get(m["killers"][0], 0) + 1
    for t in sorted(kills, key=lambda t: (-only.get(t, 0), -kills[t], t)):
        print(f"{kills[t]:4d} {only.get(t, 0):4d}  {t}")


def programs_for(path, build):
    for prefix, progs in AREAS:
        if path.startswith(prefix):
            return progs  # built on the way: a fresh tree needs nothing built first
    return []


def mutate_file(s, path, cap):
    progs = programs_for(path, s.build)
    if not progs:
        print(f"{path}: no test programs for this area", file=sys.stderr)
        return None
    if not s.build_targets(progs):
        print(f"{path}: the unmutated tree does not build", file=sys.stderr)
        return None
    limits = {}
    for prog in progs:  # the unmutated tests must pass; their time sets the time-out
        t0 = time.monotonic()
        if not s.test([prog], {prog: 600}):
            print(f"{path}: {prog} fails without a mutant; file skipped", file=sys.stderr)
            return None
        limits[prog] = max(20.0, 5 * (time.monotonic() - t0))
    with open(path, encoding="utf-8") as f:
        lines = f.readlines()
    mutants = pick(path, candidates(lines), cap)
    saved = os.path.join(s.backup_dir, path)
    os.makedirs(os.path.dirname(saved), exist_ok=True)
    shutil.copy2(path, saved)
    killed, survivors, broken = 0, [], 0
    try:
        for m in mutants:
            with open(path, "w", encoding="utf-8") as f:
                f.writelines(apply(lines, m))
            if not s.build_targets(progs):
                broken += 1  # did not compile: neither killed nor survived
                continue
            killers = [] if s.who else None
            if s.test(progs, limits, killers):
                survivors.append(m)
            else:
                killed += 1
            if s.who:
                with open(s.who, "a", encoding="utf-8") as f:
                    f.write(json.dumps({"file": path, "line": m[0] + 1, "op": m[4], "killers": killers}) + "\n")
    finally:
        restore(saved, path)
        os.remove(saved)
    s.build_targets(progs)
    return len(mutants) - broken, killed, survivors, lines


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if sys.argv[1] == "--who":
        who_report(sys.argv[2])
        return
    build = os.path.abspath(sys.argv[1])
    files = sys.argv[2:] or os.environ.get("MUTANTS_FILES", "").split() or DEFAULT_FILES
    cap = int(os.environ.get("MUTANTS_MAX", "20"))
    s = Session(build)
    s.restore_leftovers()
    dirty = subprocess.run(["git", "status", "--porcelain", "--", *files],
                           capture_output=True, text=True).stdout.strip()
    if dirty:
        sys.exit("mutants: uncommitted changes in the files to mutate:\n" + dirty)

    def interrupted(signum, _frame):
        raise KeyboardInterrupt(signum)
    signal.signal(signal.SIGTERM, interrupted)

    results = []
    try:
        for path in files:
            r = mutate_file(s, path, cap)
            if r is None:
                continue
            count, killed, survivors, lines = r
            score = 100.0 * killed / count if count else 0.0
            results.append((path, count, killed, survivors, lines))
            print(f"{path} {count} {killed} {len(survivors)} {score:.0f}%", flush=True)
    except KeyboardInterrupt:
        print("mutants: interrupted; every file is restored", file=sys.stderr)
    print("\nsurvivors:")
    for path, _, _, survivors, lines in results:
        for no, start, end, new, name in survivors:
            print(f"  {path}:{no + 1}: {name}: {lines[no].strip()}")


if __name__ == "__main__":
    main()
