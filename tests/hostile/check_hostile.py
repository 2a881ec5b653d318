#!/usr/bin/env python3
"""Converts and renders the hostile drawings, checking that each ends with its report.

check_hostile.py DXFDIN [--scale S] [--skip NAME ...] [--render] [--limits]

Makes the drawings of hostile_drawings.py in a temporary directory, converts each the way
its extension says (and draws its picture with --render), and checks that every run ends
with exit status 0, 1 or 2, says what the drawing was cut to, and writes no number that is
not finite. Prints one line per run: seconds, peak memory, status, the report's first line.
--limits also fails a run that takes more than 20 seconds or 256 MiB (the benchmark's
check; the test suite leaves time to the machine).
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostile_drawings  # noqa: E402

MAX_SECONDS = 20
MAX_MIB = 256

# What the report of a conversion says, by drawing (scale 1 and the test's scale alike).
EXPECTED = {
    "block-rereading.dxf": "stopped after the work a file may take, after ",
    "block-rereading-large.dxf": "stopped after the work a file may take, after ",
    "din-full-array.dxf": "stopped at the 1 GiB a DIN file may have, after ",
    "minsert-rows.dxf": "MINSERT cells beyond the 2000000 entities",
    "non-finite.dxf": "entities with coordinates out of range",
    "control-characters.dxf": "passed over 1 \\x1b[2J\\x1b]0;pwned\\x07",
    "hatch-dense-pattern.dxf": "HATCH pattern too dense to draw",
}
# Exit statuses other than 0, 1 or 2 fail every run; these drawings must also convert.
MUST_CONVERT = {"cr-line-ends.dxf", "non-finite.dxf", "control-characters.dxf"}
# Outputs that must stay small: what their input floods with is not written.
SMALL_OUTPUTS = {"bare-sr.din": 10000, "minsert-rows.dxf": 1000, "value-blanks.dxf": 1000}


def run(command):
    """(seconds, peak MiB, exit status, standard error) of one run; a run still going after
    ten minutes is killed (status -9). The peak is measured by /usr/bin/time, whose child
    starts small (a child of this script would count the script's own memory)."""
    with tempfile.TemporaryDirectory() as scratch:
        measure = os.path.join(scratch, "time")
        errors = os.path.join(scratch, "errors")
        timed = ["/usr/bin/time", "-q", "-f", "%e %M", "-o", measure] + command
        with open(errors, "wb") as err:
            try:
                status = subprocess.run(timed, stdout=subprocess.DEVNULL, stderr=err,
                                        timeout=600).returncode
            except subprocess.TimeoutExpired:
                status = -9
        with open(errors, "rb") as err:
            report = err.read().decode("latin-1")
        seconds, kib = 600.0, 0.0
        if os.path.exists(measure):
            with open(measure) as times:
                fields = times.read().split()
            if len(fields) == 2:
                seconds, kib = float(fields[0]), float(fields[1])
    return seconds, kib / 1024, status, report


def has_non_finite(path):
    with open(path, "rb") as data:
        while True:
            chunk = data.read(1 << 24)
            if not chunk:
                return False
            upper = chunk.upper()
            if b"NAN" in upper or b"INF" in upper:
                return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dxfdin")
    parser.add_argument("--scale", type=float, default=1.0)
    parser.add_argument("--skip", nargs="*", default=[])
    parser.add_argument("--render", action="store_true")
    parser.add_argument("--limits", action="store_true")
    args = parser.parse_args()

    failures = []
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out")
        os.mkdir(out)
        for name, text in hostile_drawings.drawings(args.scale):
            if name in args.skip:
                continue
            hostile_drawings.write(work, name, text)
            path = os.path.join(work, name)
            to_din = name.endswith(".dxf")
            runs = [("to-din" if to_din else "to-dxf", [args.dxfdin, "to-din" if to_din else
                                                         "to-dxf", "-f", "-o", out, path])]
            if args.render:
                runs.append(("render", [args.dxfdin, "render", "-f", "-o", out, path]))
            for what, command in runs:
                seconds, mib, status, report = run(command)
                first = report.strip().splitlines()[0] if report.strip() else ""
                print("%-26s %-6s %7.2f s %7.1f MiB  exit %-4s %s" %
                      (name, what, seconds, mib, status, first[:110]))
                problems = []
                if status not in (0, 1, 2):
                    problems.append("exit status %s" % status)
                if "\x1b" in report or "\x07" in report:
                    problems.append("a control character reached the terminal")
                if args.limits and (seconds > MAX_SECONDS or mib > MAX_MIB):
                    problems.append("beyond %d s or %d MiB" % (MAX_SECONDS, MAX_MIB))
                if what != "render":
                    if name in MUST_CONVERT and status != 0:
                        problems.append("not converted")
                    if name in EXPECTED and EXPECTED[name] not in report:
                        problems.append("the report does not say " + repr(EXPECTED[name]))
                    output = os.path.join(out, name[:-4] + (".din" if to_din else ".dxf"))
                    if os.path.exists(output):
                        if has_non_finite(output):
                            problems.append("NAN or INF in " + os.path.basename(output))
                        if os.path.getsize(output) > SMALL_OUTPUTS.get(name, 1 << 62):
                            problems.append("an output of %d bytes" % os.path.getsize(output))
                        os.remove(output)
                failures += ["%s %s: %s" % (name, what, p) for p in problems]
            os.remove(path)
    for failure in failures:
        print("FAILED " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
