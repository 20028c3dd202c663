#!/usr/bin/env python3
"""Independent expectations for the exact coefficient table of CalibrationMathTest.cpp.

Every quantity is taken as an exact fraction and rounded to a 32-bit float exactly once, where the
rules round it: the targets, the fit targets, K, B (from the unrounded K), the output slope and the
offset (from the rounded slope). No floating-point arithmetic takes part before a rounding, so
this owes nothing to the C++ code under test. "B from rounded K" is the forbidden variant the
table must catch; "tie distance" is how far K and B lie from a rounding midpoint (in ulps), so a
case near a tie can be seen and avoided.

Run: python3 tests/calibration/expected_coefficients.py; its output was pasted into the table.
"""
from fractions import Fraction as F
import struct


def f32(q):
    """Round a fraction to the nearest float32 (ties to even); returns (value as Fraction, bits)."""
    q = F(q)
    if q == 0:
        return F(0), 0
    sign = -1 if q < 0 else 1
    a = abs(q)
    e = 0
    while a >= F(2) ** (e + 24):
        e += 1
    while a < F(2) ** (e + 23):
        e -= 1
    scaled = a / F(2) ** e  # in [2^23, 2^24)
    m = scaled.numerator // scaled.denominator
    rest = scaled - m
    if rest > F(1, 2) or (rest == F(1, 2) and m % 2 == 1):
        m += 1
    v = sign * m * F(2) ** e
    bits = struct.unpack('>I', struct.pack('>f', float(v)))[0]
    return v, bits


def tie_distance(q):
    """How far q lies from the nearest rounding midpoint, in float32 ulps (0.5 = on a float)."""
    v, _ = f32(q)
    a = abs(F(q))
    e = 0
    while a >= F(2) ** (e + 24):
        e += 1
    while a < F(2) ** (e + 23):
        e -= 1
    ulp = F(2) ** e
    frac = (a / ulp) - int(a / ulp)
    return float(abs(frac - F(1, 2)))


def dec32(text):
    return f32(F(text))[0]


SCALE = {"0000": 1, "000.0": 10, "00.00": 100, "0.000": 1000}
GRAVITY = F("9.80665")


def targets(start, end, n):
    s, e = dec32(start), dec32(end)
    t = []
    for i in range(n):
        if i == n - 1:
            t.append(e)
        else:
            t.append(f32(s + (e - s) * F(i, n - 1))[0])
    return t


def fit_targets(start, end, n, position, signal, density):
    scale = SCALE[position]
    out = []
    for t in targets(start, end, n):
        v = t * density * scale * GRAVITY if signal == "level" else t * scale
        out.append(f32(v)[0])
    return out


def fit(x, y):
    n = len(x)
    sx, sy = sum(x), sum(y)
    sxy = sum(a * b for a, b in zip(x, y))
    sxx = sum(a * a for a in x)
    k = (n * sxy - sx * sy) / (n * sxx - sx * sx)
    b = (sy - k * sx) / n
    k32, kbits = f32(k)
    _, bbits = f32(b)
    _, forbidden = f32((sy - k32 * sx) / n)
    return kbits, bbits, forbidden, min(tie_distance(k), tie_distance(b))


CASES = [
    # name, n, start, end, point position, signal type, density, raw readings
    ("pressure3", 3, "0", "1.6", "0.000", "Pressure", 0, [412, 7589, 14803]),
    ("pressure5", 5, "10", "90", "000.0", "Pressure", 0, [3998, 6495, 9012, 11490, 14005]),
    ("pressure2", 2, "0", "2", "00.00", "Pressure", 0, [700, 16700]),
    ("temperature3", 3, "-10", "30", "000.0", "Temperature", 0, [2210, 5034, 7871]),
    ("level3", 3, "0", "2", "0000", "level", 1000, [300, 2310, 4295]),
    ("level5", 5, "0.5", "3.5", "00.00", "level", 1030, [1200, 3390, 5611, 7795, 10020]),
]

OUTPUTS = [("0.2", "4.0"), ("4", "20"), ("0.05", "10.1"), ("1.02", "5.03")]

C = dec32("0.00026315788")

if __name__ == "__main__":
    for name, n, s, e, pos, sig, dens, x in CASES:
        y = fit_targets(s, e, n, pos, sig, dens)
        kbits, bbits, forbidden, tie = fit([F(v) for v in x], y)
        ybits = [f32(v)[1] for v in y]
        print(f"{name}: y={[hex(b) for b in ybits]} K=0x{kbits:08X} "
              f"({struct.unpack('>f', struct.pack('>I', kbits))[0]!r}) B=0x{bbits:08X} "
              f"({struct.unpack('>f', struct.pack('>I', bbits))[0]!r}) "
              f"B from rounded K=0x{forbidden:08X} tie distance={tie:.3f}")
    for lo, hi in OUTPUTS:
        L, H = dec32(lo), dec32(hi)
        slope, sbits = f32((H - L) * C * 1000)
        _, obits = f32(H - slope * 4)
        print(f"output {lo}/{hi}: slope=0x{sbits:08X} "
              f"({struct.unpack('>f', struct.pack('>I', sbits))[0]!r}) offset=0x{obits:08X} "
              f"({struct.unpack('>f', struct.pack('>I', obits))[0]!r}) "
              f"tie={min(tie_distance((H - L) * C * 1000), tie_distance(H - slope * 4)):.3f}")
