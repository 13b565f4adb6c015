#!/usr/bin/env python3
"""Writes the short click the tab strip plays when a page has slid in:
a falling two-tone chirp, 8-bit mono, 11025 Hz, 120 ms."""
import math
import sys
import wave

RATE = 11025
SECONDS = 0.12


def main(out):
    frames = bytearray()
    n = int(RATE * SECONDS)
    phase = 0.0
    for i in range(n):
        t = i / n
        freq = 1400 - 700 * t
        phase += 2 * math.pi * freq / RATE
        envelope = min(1.0, i / 40) * (1 - t) ** 2
        sample = 0.6 * math.sin(phase) + 0.25 * math.sin(2 * phase)
        frames.append(128 + round(100 * envelope * sample))
    with wave.open(out, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == '__main__':
    main(sys.argv[1])
