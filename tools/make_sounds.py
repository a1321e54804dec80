#!/usr/bin/env python3
"""Synthesises Wakora's three built-in alarm sounds and writes them as WAV files.

    python3 tools/make_sounds.py [OUTDIR_ROOT]   writes app/res/Wakora1.wav .. Wakora3.wav under
                                                 OUTDIR_ROOT (default: the repository root)
    python3 tools/make_sounds.py --check         exits 1 when a committed sound differs from
                                                 what this script makes

The notes, partials and envelopes below are the source of the sounds: additive sines, each
with its own decay, summed, softened at both ends and normalised to -3 dBFS. Mono, 16-bit
PCM, 22050 samples per second, about three seconds each. Python's standard library only; the
output is the same bytes on every run.

    Wakora1  a soft marimba-like arpeggio that climbs, three times, a little louder each time
    Wakora2  a gentle two-bell chime, "ding-dong" and again, with long decays
    Wakora3  a bright two-tone digital beep pattern, rounded off by short envelopes
"""

import math
import struct
import sys

from generated import write_or_check

RATE = 22050
PEAK_DBFS = -3.0
FADE_IN = 0.005  # seconds: the sounds start from silence without a click
FADE_OUT = 0.06  # seconds: ... and end in silence (a ringing sound fades for longer)
NYQUIST_GUARD = 0.45 * RATE  # partials above this are left out rather than aliased


def midi(note):
    """Frequency of a MIDI note number in equal temperament (69 = A 440 Hz)."""
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def add_tone(buffer, start, frequency, partials, attack, gain=1.0, length=None, release=0.0):
    """Adds a struck or held tone to `buffer` (a list of floats).

    partials: (frequency ratio, amplitude, decay time constant in seconds or None for none).
    attack: seconds of a raised-cosine rise. length: when given, the tone is held for that many
    seconds and then released over `release` seconds; otherwise it decays until it is inaudible
    or the buffer ends."""
    first = int(round(start * RATE))
    usable = [(frequency * ratio, amp, tau) for ratio, amp, tau in partials
              if frequency * ratio < NYQUIST_GUARD]
    if length is None:
        longest = max(tau for _, _, tau in usable)
        span = int(longest * 7.0 * RATE)  # e^-7: below a thousandth
    else:
        span = int((length + release) * RATE)
    attack_n = max(1, int(attack * RATE))
    end = min(len(buffer), first + span)
    for n in range(first, end):
        t = (n - first) / RATE
        env = 1.0
        if n - first < attack_n:
            env = 0.5 - 0.5 * math.cos(math.pi * (n - first) / attack_n)
        if length is not None and t > length:
            env *= 0.5 + 0.5 * math.cos(math.pi * min(1.0, (t - length) / release))
        value = 0.0
        for f, amp, tau in usable:
            decay = 1.0 if tau is None else math.exp(-t / tau)
            value += amp * decay * math.sin(2.0 * math.pi * f * t)
        buffer[n] += gain * env * value


# A marimba bar: the fundamental rings longest; its overtones (near 4 and 10 times the
# fundamental) give the wooden knock and die within a few hundredths of a second.
MARIMBA = [(1.0, 1.0, 0.32), (3.93, 0.32, 0.05), (9.9, 0.06, 0.015), (2.0, 0.08, 0.12)]

# A small bell: the inharmonic partials of a struck bell (hum, prime, minor third, fifth,
# octave, upper partials), the lower ones ringing longer. The prime's twin, a fraction of a
# hertz apart, makes the slow beat of a real bell.
BELL = [(0.5, 0.22, 1.5), (1.0, 1.0, 1.05), (1.0035, 0.35, 1.05), (1.19, 0.30, 0.8),
        (1.5, 0.22, 0.6), (2.0, 0.40, 0.5), (2.52, 0.14, 0.3), (3.01, 0.10, 0.22),
        (4.07, 0.05, 0.12)]

# A digital beep: a tone with a few odd harmonics, like a square wave with its edges rounded.
BEEP = [(1.0, 1.0, None), (3.0, 0.16, None), (5.0, 0.05, None)]


def marimba_arpeggio():
    duration = 3.0
    buffer = [0.0] * int(duration * RATE)
    climb = [72, 76, 79, 84]  # C5 E5 G5 C6
    tops = [86, 88, 91]  # D6, E6, G6: each round reaches a little higher
    step = 0.12
    for round_index, top in enumerate(tops):
        start = round_index * 0.95
        gain = (0.7, 0.85, 1.0)[round_index]
        for i, note in enumerate(climb + [top]):
            add_tone(buffer, start + i * step, midi(note), MARIMBA, 0.002, gain * (0.9 + 0.025 * i))
    return buffer


def bell_chime():
    duration = 3.4
    buffer = [0.0] * int(duration * RATE)
    # E5 then C5 (a falling major third, the classic doorbell), twice, the second pair a
    # touch softer, then a last high G5 that rings out.
    strikes = [(0.0, 76, 1.0), (0.55, 72, 0.95), (1.35, 76, 0.9), (1.9, 72, 0.85),
               (2.55, 79, 0.7)]
    for start, note, gain in strikes:
        add_tone(buffer, start, midi(note), BELL, 0.004, gain)
    return buffer


def digital_beeps():
    duration = 3.0
    buffer = [0.0] * int(duration * RATE)
    high, low = midi(93), midi(88)  # A6 and E6: bright but not piercing
    beep, gap = 0.085, 0.035
    for group in range(4):
        start = 0.05 + group * 0.72
        gain = (0.6, 0.75, 0.9, 1.0)[group]
        for i, f in enumerate((high, low, high, low)):
            add_tone(buffer, start + i * (beep + gap), f, BEEP, 0.008, gain, length=beep - 0.02,
                     release=0.02)
    return buffer


def finish(buffer, fade_out_seconds=FADE_OUT):
    """Fades the ends, normalises the peak to PEAK_DBFS and packs 16-bit samples."""
    n = len(buffer)
    fade_in, fade_out = int(FADE_IN * RATE), int(fade_out_seconds * RATE)
    for i in range(fade_in):
        buffer[i] *= i / fade_in
    for i in range(fade_out):
        buffer[n - 1 - i] *= i / fade_out
    peak = max(abs(v) for v in buffer)
    scale = 32767.0 * 10.0 ** (PEAK_DBFS / 20.0) / peak
    samples = [max(-32768, min(32767, int(math.floor(v * scale + 0.5)))) for v in buffer]
    return struct.pack("<%dh" % n, *samples)


def wav_bytes(pcm):
    """A canonical RIFF WAVE file: fmt chunk for mono 16-bit PCM, then the data chunk."""
    channels, bits = 1, 16
    block = channels * bits // 8
    fmt = struct.pack("<HHIIHH", 1, channels, RATE, RATE * block, block, bits)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" +
            struct.pack("<I", len(pcm)) + pcm)
    return b"RIFF" + struct.pack("<I", len(body)) + body


OUTPUTS = [
    ("app/res/Wakora1.wav", lambda: finish(marimba_arpeggio(), 0.3)),
    ("app/res/Wakora2.wav", lambda: finish(bell_chime(), 0.6)),
    ("app/res/Wakora3.wav", lambda: finish(digital_beeps())),
]


def main(argv):
    outputs = [(path, lambda make=make: wav_bytes(make())) for path, make in OUTPUTS]
    return write_or_check(argv, __doc__, outputs, "make_sounds.py")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
