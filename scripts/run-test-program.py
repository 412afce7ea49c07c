#!/usr/bin/env python3
"""Runs one test program under Wine, as CTest's launcher: run-test-program.py <wine> <program> [args...]

Its output and exit code pass through unchanged, but for two ends inside Wine itself after a program has
written its complete results: it has not ended GRACE seconds later (Wine sometimes hangs in the exit of a
process under load), or the Wine loader died of a Linux signal (32-bit Wine sometimes crashes there).
Such a program is judged by the results it wrote: passed only when they say so and name no failure, and
no crash of the program itself was reported (a crash in its own code is a Windows exception, which the
test main reports and ends with its code). A program that fails, or stops before its results, is never
judged by them. A program that ends without writing anything is started again (see main).
"""
import os
import subprocess
import sys
import threading
import time

GRACE = 60
RAN = b"[==========] "  # the line after the last test: "[==========] N tests from M test suites ran."


def main():
    # A program that ended without a word never reached its main (a test program's first act is to name
    # its filter): Wine failed to start it, which happens now and then under load. It is started again,
    # twice at the most; a program that ran is never run again.
    for attempt in range(3):
        started = time.monotonic()
        code, output = run_once()
        if code == 0 or output or attempt == 2:
            return code
        log(f"the program ended with {code} after {time.monotonic() - started:.2f} s before writing anything; "
            "started again")


def log(note):
    note = "run-test-program: " + note
    print(note, flush=True)
    if os.environ.get("VELMARO_JUDGED_LOG"):  # CTest shows no output of a passed test: a list for the run
        with open(os.environ["VELMARO_JUDGED_LOG"], "a") as log_file:
            log_file.write(" ".join(sys.argv[2:]) + ": " + note + "\n")


def run_once():
    proc = subprocess.Popen(sys.argv[1:], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    lines = []
    ran = threading.Event()

    def pump():
        for line in proc.stdout:
            sys.stdout.buffer.write(line)
            sys.stdout.buffer.flush()
            lines.append(line)
            if line.startswith(RAN) and b" ran." in line:
                ran.set()

    reader = threading.Thread(target=pump, daemon=True)
    reader.start()
    while True:
        # The grace counts from the results: a wait that began before them only looks again.
        after_results = ran.is_set()
        try:
            code = proc.wait(timeout=GRACE if after_results else 1)
            reader.join(timeout=5)  # the lines still in the pipe
            if code >= 0 or not ran.is_set():
                return code, b"".join(lines)
            how = f"Wine died of signal {-code} after its results"
            break
        except subprocess.TimeoutExpired:
            if after_results:
                how = f"the program had not ended {GRACE} s after its results"
                proc.kill()
                proc.wait()
                break
    reader.join(timeout=2)  # the lines written after the results
    output = b"".join(lines)
    results = b"".join(lines[-50:])
    passed = b"[  PASSED  ]" in results and b"[  FAILED  ]" not in results and b"Crash: " not in output
    log(f"{how}; judged by them: {'passed' if passed else 'failed'}")
    return (0 if passed else 1), output


if __name__ == "__main__":
    sys.exit(main())
