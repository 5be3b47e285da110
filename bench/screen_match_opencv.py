#!/usr/bin/env python3
"""The yardstick of screen_match_bench: OpenCV's matchTemplate (TM_SQDIFF, one thread) on the same
capture and picture, given as raw files of 32-bit pixels (blue, green, red, unused).

    screen_match_opencv.py CAPTURE W H PICTURE W H RUNS
prints "x y seconds" (the best of RUNS runs, CPU time of the thread), or "unavailable" without OpenCV."""
import sys
import time

try:
    import cv2
    import numpy
except ImportError:
    print("unavailable")
    sys.exit(0)


def load(path, width, height):
    pixels = numpy.fromfile(path, dtype=numpy.uint8).reshape(int(height), int(width), 4)
    return numpy.ascontiguousarray(pixels[:, :, :3])


def main(argv):
    capture = load(argv[1], argv[2], argv[3])
    picture = load(argv[4], argv[5], argv[6])
    cv2.setNumThreads(1)
    best = None
    for _ in range(int(argv[7])):
        start = time.thread_time()
        scores = cv2.matchTemplate(capture, picture, cv2.TM_SQDIFF)
        _, _, where, _ = cv2.minMaxLoc(scores)
        seconds = time.thread_time() - start
        best = seconds if best is None or seconds < best else best
    print(where[0], where[1], best)


if __name__ == "__main__":
    main(sys.argv)
