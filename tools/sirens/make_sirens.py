#!/usr/bin/env python3
"""Synthesises the five alarm sounds 0.wav ... 4.wav that lie beside the program.

Each sound is 16-bit PCM, mono, 22050 Hz, between 2 and 4 seconds long, and starts and ends in
silence so that the player can repeat it without a click. The output is deterministic: running the
script again gives byte-identical files.

Usage: make_sirens.py [output folder]   (default: the data/ folder of the source tree)
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 0.72          # fraction of full scale before the soft clipper
FADE_SECONDS = 0.012


def tone(freq_at, seconds, shape):
    """Samples in -1..1 of an oscillator whose frequency follows freq_at(t).

    The phase is accumulated sample by sample, so sweeping frequencies stay continuous."""
    count = int(round(seconds * RATE))
    phase = 0.0
    out = []
    for i in range(count):
        t = i / RATE
        phase += 2.0 * math.pi * freq_at(t) / RATE
        out.append(shape(phase))
    return out


def sine(phase):
    return math.sin(phase)


def bright(phase):
    # A sine with a few odd harmonics: the hard, penetrating timbre of an electronic siren.
    return (math.sin(phase) + 0.45 * math.sin(3 * phase) + 0.25 * math.sin(5 * phase)
            + 0.12 * math.sin(7 * phase)) / 1.5


def square_soft(phase):
    # A band-limited square wave (harmonics 1..9) for the two-tone horn.
    return sum(math.sin(k * phase) / k for k in (1, 3, 5, 7, 9)) * (4 / math.pi) / 1.3


def gate(samples, on_seconds, off_seconds):
    """Switches the sound on and off in a regular rhythm, with short ramps at every edge."""
    period = on_seconds + off_seconds
    ramp = 0.004
    out = []
    for i, s in enumerate(samples):
        t = (i / RATE) % period
        if t >= on_seconds:
            g = 0.0
        else:
            g = min(1.0, t / ramp, (on_seconds - t) / ramp)
        out.append(s * g)
    return out


def finish(samples):
    """Fades both ends, applies a gentle soft clip and converts to 16-bit integers."""
    n = len(samples)
    fade = int(FADE_SECONDS * RATE)
    norm = math.tanh(1.4)
    out = []
    for i, s in enumerate(samples):
        g = min(1.0, i / fade, (n - 1 - i) / fade)
        v = math.tanh(1.4 * s) / norm * PEAK * g
        out.append(max(-32767, min(32767, int(round(v * 32767)))))
    return out


def wail():
    # Classic mechanical-style siren: a slow rise and fall, twice.
    def f(t):
        return 900 + 450 * math.sin(2 * math.pi * t / 1.5 - math.pi / 2)
    return tone(f, 3.0, bright)


def hi_lo():
    # Two-tone horn alternating every half second.
    def f(t):
        return 960 if int(t / 0.5) % 2 == 0 else 720
    return tone(f, 3.0, square_soft)


def yelp():
    # Fast upward sweeps, four per second.
    def f(t):
        x = (t % 0.25) / 0.25
        return 700 + 900 * x
    return tone(f, 2.5, bright)


def beeper():
    # Intruder-alarm beeps: a high tone in short bursts.
    return gate(tone(lambda t: 2100, 2.4, sine), 0.12, 0.08)


def whoop():
    # Rising whoops with a gap between them.
    def f(t):
        x = (t % 1.0) / 0.8
        return 400 + 1200 * min(1.0, x) ** 1.5
    return gate(tone(f, 3.0, bright), 0.8, 0.2)


SOUNDS = [wail, hi_lo, yelp, beeper, whoop]


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data")
    for index, make in enumerate(SOUNDS):
        path = os.path.join(folder, "%d.wav" % index)
        samples = finish(make())
        write_wav(path, samples)
        print("%s: %.2f s" % (os.path.normpath(path), len(samples) / RATE))


if __name__ == "__main__":
    main()
