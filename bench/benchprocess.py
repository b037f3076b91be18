"""What the benchmark scripts share: generated networks and whole-process timing."""

import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def generate(size, networks):
    """The generated network of that size under networks/, made once (seed 1)."""
    path = os.path.join(networks, size)
    if not os.path.exists(os.path.join(path, "manifest.json")):
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "generate-network.py"), "--size", size,
                        "--seed", "1", path], check=True, stdout=subprocess.DEVNULL)
    return path


def timed(cmd):
    """One run of a command: wall seconds, CPU seconds and peak MiB."""
    start = time.monotonic()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    if status != 0:
        raise RuntimeError("failed: " + " ".join(cmd))
    return dict(wall=wall, cpu=usage.ru_utime + usage.ru_stime, peakMiB=usage.ru_maxrss / 1024.0)
