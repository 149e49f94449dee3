#!/usr/bin/env python3
"""Writes the shutter sound: two short clicks of filtered noise, 16-bit mono, 44.1 kHz."""
import math
import random
import struct
import sys
import wave

rate = 44100
random.seed(7)
samples = []
for click_start, length, level in ((0.0, 0.035, 0.9), (0.075, 0.05, 0.6)):
    start = int(click_start * rate)
    while len(samples) < start:
        samples.append(0.0)
    prev = 0.0
    for i in range(int(length * rate)):
        t = i / rate
        envelope = math.exp(-t * 90)
        prev = 0.6 * prev + 0.4 * random.uniform(-1, 1)  # darker noise
        samples.append(level * envelope * prev)
samples += [0.0] * int(0.05 * rate)
out = sys.argv[1] if len(sys.argv) > 1 else "smena_shutter.wav"
with wave.open(out, "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32000)) for s in samples))
