"""The test launcher passes a program's end through, and starts again only a program that wrote nothing.

  python3 run_test_program_test.py <run-test-program.py>
"""
import os
import subprocess
import sys
import tempfile

LAUNCHER = sys.argv[1]
RESULTS = "[==========] 1 test from 1 test suite ran. (5 ms total)\n[  PASSED  ] 1 test.\n"


def launch(script):
    """The launcher's exit code and output for a program that is the shell script given."""
    env = {k: v for k, v in os.environ.items() if k != "VELMARO_JUDGED_LOG"}
    done = subprocess.run([sys.executable, LAUNCHER, "sh", "-c", script], capture_output=True, env=env,
                          timeout=120)
    return done.returncode, done.stdout.decode()


failures = []


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: got {got!r}, wanted {wanted!r}")


# Ending with a failure some time after complete results (a check at exit) is a failure, not a hang.
code, output = launch(f"printf '{RESULTS}'; sleep 2.5; exit 3")
expect("a failing end after the results", code, 3)
expect("no judgement of a program that ended", "judged" in output, False)

with tempfile.TemporaryDirectory() as folder:
    starts = os.path.join(folder, "starts")
    # Ended without a word: Wine did not start it; started again, three times in all.
    code, _ = launch(f"echo x >> {starts}; exit 1")
    expect("a silent failure's code", code, 1)
    expect("starts of a silent failure", open(starts).read().count("x"), 3)
    os.remove(starts)
    # A program that wrote anything ran: never started again.
    code, _ = launch(f"echo x >> {starts}; echo started; exit 1")
    expect("a failure that wrote", code, 1)
    expect("starts of a failure that wrote", open(starts).read().count("x"), 1)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
