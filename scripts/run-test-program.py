#!/usr/bin/env python3
"""Runs one test program under Wine, as CTest's launcher: run-test-program.py <wine> <program> [args...]

Its output and exit code pass through unchanged. One case alone is different: a program that has written
its complete results but has not ended GRACE seconds later (Wine sometimes hangs in the exit of a
process under load) is ended and judged by the results it wrote: passed only when they say so and name
no failure. A program that ends by itself, fails, crashes or stops before its results is never touched.
"""
import subprocess
import sys
import threading

GRACE = 60
RAN = b"[==========] "  # the line after the last test: "[==========] N tests from M test suites ran."


def main():
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
        try:
            return proc.wait(timeout=GRACE if ran.is_set() else 1)
        except subprocess.TimeoutExpired:
            if ran.is_set():
                break
    reader.join(timeout=2)  # the lines written after the results
    proc.kill()
    proc.wait()
    results = b"".join(lines[-50:])
    passed = b"[  PASSED  ]" in results and b"[  FAILED  ]" not in results
    print(f"run-test-program: the program had not ended {GRACE} s after its results; ended and judged by "
          f"them: {'passed' if passed else 'failed'}", flush=True)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
