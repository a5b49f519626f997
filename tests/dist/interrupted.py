#!/usr/bin/python3
"""tools/sign and tools/verify-dist, stopped by a signal mid-run as Ctrl-C or
a closed terminal stops them (the signal goes to the whole process group),
leave no temporary folder behind, and die of that signal.

  interrupted.py CHECKOUT UNSIGNED_RELEASE KEYS

Both are CHECKOUT's. tools/sign is stopped while it waits for a time-stamp
server that never answers; tools/verify-dist, checking UNSIGNED_RELEASE,
while it builds.
"""
import glob
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

problems = []


def run_and_stop(name, command, env, mid_run, sig):
    """Starts command in a session of its own, sends sig to it once the glob
    mid_run (under its TMPDIR) exists, and names what it left behind."""
    tmp = tempfile.mkdtemp(prefix="zol-interrupted.")
    try:
        env = dict(env, TMPDIR=tmp)
        process = subprocess.Popen(command, env=env, start_new_session=True,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 120
        while not glob.glob(os.path.join(tmp, mid_run)) and process.poll() is None:
            if time.monotonic() > deadline:
                break
            time.sleep(0.05)
        if process.poll() is not None:
            problems.append(f"{name}: ended before {mid_run} appeared: "
                            f"{process.stderr.read().decode(errors='replace')}")
            return
        os.killpg(process.pid, sig)
        try:
            status = process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            problems.append(f"{name}: still running 60 s after {sig.name}")
            return
        left = os.listdir(tmp)
        if left:
            problems.append(f"{name}: {sig.name} left {left} in its TMPDIR")
        if status != -sig:
            problems.append(f"{name}: ended with {status} after {sig.name}, not by the signal")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def main():
    checkout, unsigned, keys = sys.argv[1:4]
    # Listens, never accepts: curl connects and waits for an answer.
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(8)
    env = {k: v for k, v in os.environ.items() if not k.startswith("ZOL_SIGN_")}
    sign_env = dict(env, ZOL_SIGN_PKCS12=os.path.join(keys, "signing.p12"),
                    ZOL_SIGN_PASSWORD_FILE=os.path.join(keys, "password"),
                    ZOL_SIGN_TIMESTAMP_URL=f"http://127.0.0.1:{silent.getsockname()[1]}/")
    build = tempfile.mkdtemp(prefix="zol-interrupted-build.")
    try:
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            run_and_stop("tools/sign check", [os.path.join(checkout, "tools/sign"), "check"],
                         sign_env, "zol-sign.*/query.tsq", sig)
            shutil.rmtree(build, ignore_errors=True)
            run_and_stop("tools/verify-dist", [os.path.join(checkout, "tools/verify-dist"),
                         "--unsigned", unsigned, build, "1"],
                         env, "zol-verify.*/build.log", sig)
    finally:
        shutil.rmtree(build, ignore_errors=True)
    for p in problems:
        print("test-dist: " + p, file=sys.stderr)
    if problems:
        sys.exit(1)
    print("test-dist: tools/sign and tools/verify-dist leave nothing behind on INT, TERM and HUP")


if __name__ == "__main__":
    main()
