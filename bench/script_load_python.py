#!/usr/bin/env python3
"""The yardstick of a script recorder written in Python: json.loads of a script's bytes plus the
events turned into tuples. Prints the best time of a few runs, in seconds.

    python3 bench/script_load_python.py FILE [RUNS]
"""
import json
import sys
import time


def load(data):
    root = json.loads(data)
    events = root.get("events") if isinstance(root, dict) else root
    return [
        (e.get("t"), e.get("d", 0), e.get("x", 0), e.get("y", 0), e.get("dx", 0), e.get("dy", 0),
         e.get("b"), e.get("p", False), e.get("k"))
        for e in events
        if isinstance(e, dict)
    ]


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    best = float("inf")
    count = 0
    for _ in range(runs):
        start = time.perf_counter()
        count = len(load(data))
        best = min(best, time.perf_counter() - start)
    print(f"{best:.6f} {count}")


if __name__ == "__main__":
    main()
