#!/usr/bin/env python3
"""Draws the shipped characters (Zippy and Pebble) and synthesises their sounds.

Writes each character's authoring folder (resources/characters/<name>/):
info.txt, actions/*.txt, images/*.png (RGBA, transparent background) and
sounds/*.wav (8-bit PCM). The output is committed, so building the modules
never needs this script; run it again after changing the art:

    python3 resources/characters/generate.py

Python 3 standard library only. Every picture is drawn from shapes: each
part is filled with a shaded colour ramp (light from the upper left) and
gets a one-pixel dark outline, drawn back to front, so parts overlapping
each other keep a line between them. The same input always gives the same
bytes (fixed random seeds, no time stamps).
"""

import math
import os
import random
import shutil
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- pictures


def write_png(path, width, height, pixels):
    """pixels: list of rows of (r, g, b, a) tuples, top row first."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def hex_color(text):
    return (int(text[1:3], 16), int(text[3:5], 16), int(text[5:7], 16))


class Ramp:
    """A material: colours from darkest to lightest."""

    def __init__(self, *colors):
        self.colors = [hex_color(c) for c in colors]

    def at(self, level):
        """level 0..1 -> one colour of the ramp."""
        n = len(self.colors)
        i = int(level * n)
        return self.colors[max(0, min(n - 1, i))]


LIGHT = (-0.5, -0.62, 0.6)
_len = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / _len for c in LIGHT)


def sphere_level(nx, ny):
    """Lambert light on a sphere at normalised position (nx, ny), 0..1."""
    d = nx * nx + ny * ny
    nz = math.sqrt(max(0.0, 1.0 - d))
    lit = nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2]
    return max(0.0, min(0.999, 0.18 + 0.82 * lit))


class Shape:
    def __init__(self, inside, box, shade):
        self.inside = inside  # (x, y) -> bool, at pixel centres
        self.box = box  # x0, y0, x1, y1 (inclusive) to test
        self.shade = shade  # (x, y) -> colour


def ellipse(cx, cy, rx, ry, ramp, angle=0.0, flat=None, lift=0.0):
    ca, sa = math.cos(angle), math.sin(angle)

    def local(x, y):
        dx, dy = x - cx, y - cy
        return (dx * ca + dy * sa) / rx, (-dx * sa + dy * ca) / ry

    def inside(x, y):
        u, v = local(x, y)
        return u * u + v * v <= 1.0

    def shade(x, y):
        if flat is not None:
            return flat
        u, v = local(x, y)
        # light comes from the screen's upper left whatever the rotation
        dx, dy = (x - cx) / rx, (y - cy) / ry
        return ramp.at(min(0.999, sphere_level(dx, dy) + lift))

    r = max(rx, ry) + 1
    return Shape(inside, (int(cx - r), int(cy - r), int(cx + r) + 1, int(cy + r) + 1), shade)


def polygon(points, ramp, level=0.6, gradient=True):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    top, bottom = min(ys), max(ys)

    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            x1, y1 = points[i]
            x2, y2 = points[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                c = not c
        return c

    def shade(x, y):
        if not gradient:
            return ramp.at(level)
        t = (y - top) / max(1.0, bottom - top)
        return ramp.at(max(0.0, min(0.999, level + 0.35 - 0.6 * t)))

    return Shape(inside, (int(min(xs)) - 1, int(top) - 1, int(max(xs)) + 2, int(bottom) + 2), shade)


def capsule(x1, y1, x2, y2, r, ramp, level=None):
    """A thick line with round ends."""
    def dist(x, y):
        vx, vy = x2 - x1, y2 - y1
        wx, wy = x - x1, y - y1
        l2 = vx * vx + vy * vy
        t = 0.0 if l2 == 0 else max(0.0, min(1.0, (wx * vx + wy * vy) / l2))
        px, py = x1 + t * vx - x, y1 + t * vy - y
        return math.sqrt(px * px + py * py)

    def inside(x, y):
        return dist(x, y) <= r

    def shade(x, y):
        if level is not None:
            return ramp.at(level)
        # lighter towards the upper-left side of the stroke
        return ramp.at(max(0.0, min(0.999, 0.75 - 0.45 * dist(x + 0.7, y + 0.7) / max(r, 0.5))))

    return Shape(inside, (int(min(x1, x2) - r) - 1, int(min(y1, y2) - r) - 1,
                          int(max(x1, x2) + r) + 2, int(max(y1, y2) + r) + 2), shade)


def clipped(shape, clip):
    """The shape cut to the inside of another shape (no outline of its own)."""
    return Shape(lambda x, y: shape.inside(x, y) and clip.inside(x, y), shape.box, shape.shade)


class Canvas:
    def __init__(self, width, height, outline):
        self.w = width
        self.h = height
        self.outline = outline
        self.px = [[None] * width for _ in range(height)]

    def _cells(self, box):
        x0, y0, x1, y1 = box
        for y in range(max(0, y0 - 1), min(self.h, y1 + 2)):
            for x in range(max(0, x0 - 1), min(self.w, x1 + 2)):
                yield x, y

    def part(self, shape, outline=True):
        """Fills a shape; with `outline`, first a one-pixel ring in the outline colour."""
        inside = {}
        for x, y in self._cells(shape.box):
            inside[(x, y)] = shape.inside(x + 0.5, y + 0.5)
        if outline:
            for (x, y), isin in inside.items():
                if isin:
                    continue
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (-1, 1), (1, -1), (-1, -1)):
                    if inside.get((x + dx, y + dy)):
                        self.px[y][x] = self.outline
                        break
        for (x, y), isin in inside.items():
            if isin:
                self.px[y][x] = shape.shade(x + 0.5, y + 0.5)

    def dot(self, x, y, color):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = color

    def mirrored(self):
        other = Canvas(self.w, self.h, self.outline)
        other.px = [list(reversed(row)) for row in self.px]
        return other

    def save(self, path):
        rows = [[(0, 0, 0, 0) if c is None else (c[0], c[1], c[2], 255) for c in row] for row in self.px]
        write_png(path, self.w, self.h, rows)

    def opaque_bottom(self):
        for y in range(self.h - 1, -1, -1):
            if any(c is not None for c in self.px[y]):
                return y
        return -1


# ---------------------------------------------------------------- sounds

RATE = 22050


def write_wav(path, samples):
    """samples: floats -1..1; written as 8-bit unsigned mono PCM."""
    data = bytes(max(0, min(255, int(round(128 + 120 * s)))) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(RATE)
        w.writeframes(data)


def tone(freq_at, seconds, shape="sine", volume=0.8, attack=0.01, release=0.08, vibrato=0.0):
    """freq_at: t (0..1 of the sound) -> Hz."""
    n = int(RATE * seconds)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / n
        f = freq_at(t) * (1.0 + vibrato * math.sin(2 * math.pi * 7 * i / RATE))
        phase += f / RATE
        p = phase % 1.0
        if shape == "square":
            v = 0.6 if p < 0.5 else -0.6
        elif shape == "triangle":
            v = 4 * abs(p - 0.5) - 1
        else:
            v = math.sin(2 * math.pi * p)
        time = i / RATE
        env = min(1.0, time / attack) if attack > 0 else 1.0
        left = seconds - time
        if left < release:
            env *= max(0.0, left / release)
        out.append(v * env * volume)
    return out


def noise(seconds, volume, seed, smooth=0.85, env=None):
    rnd = random.Random(seed)
    n = int(RATE * seconds)
    out = []
    last = 0.0
    for i in range(n):
        last = smooth * last + (1 - smooth) * rnd.uniform(-1, 1)
        e = env(i / n) if env else 1.0
        out.append(last * 3 * volume * e)
    return out


def mix(*tracks):
    n = max(len(t) for t in tracks)
    return [max(-1.0, min(1.0, sum(t[i] for t in tracks if i < len(t)))) for i in range(n)]


def then(*tracks):
    out = []
    for t in tracks:
        out += t
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def notes(freqs, each, shape="triangle", volume=0.7):
    return then(*[tone(lambda t, f=f: f, each, shape, volume, 0.005, each * 0.5) for f in freqs])


# ---------------------------------------------------------------- scripts


def action_script(base, cels, anchor, steps, loop, nexts, sounds=None):
    """Text of an action script: every field ends with a comma; a line per group."""
    lines = [f"{base},{cels},{anchor[0]},{anchor[1]},"]
    if sounds:
        sound_base, weights, tick = sounds
        lines.append(f"{len(weights)},{sound_base}," + "".join(f"{w}," for w in weights) + f"{tick},")
    else:
        lines.append("0,")
    lines.append("0,")
    start, end, repeat = loop
    lines.append(f"{len(steps)},{start},{end},{repeat},")
    for cel, dx, dy, ms in steps:
        lines.append(f"{cel},{dx},{dy},{ms},")
    lines.append(f"{len(nexts)},")
    for name, weight in nexts:
        lines.append(f"{name},{weight},")
    return "\n".join(lines) + "\n"


def info_script(name, note, canvas, margins, boot_count, starts):
    lines = [f"0,{name},{note},", f"{canvas[0]},{canvas[1]},", f"{margins[0]},{margins[1]},", f"{boot_count},"]
    lines.append(f"{len(starts)}," + "".join(f"{n},{w}," for n, w in starts))
    lines += ["0,", "0,", "0,", "0,0,0,", "0,0,0,0,0,0,0,0,"]
    return "\n".join(lines) + "\n"


def check_lists(actions, idle_prefix="def"):
    """Weights: every list adds up to 100; an idle list's second block covers 900."""
    for name, (_, nexts) in actions.items():
        weights = [w for _, w in nexts]
        if name.startswith(idle_prefix):
            total, k = 0, 0
            while total < 100:
                total += weights[k]
                k += 1
            assert total == 100, (name, weights)
            assert sum(weights[k - 1:]) == 900, (name, weights)
        else:
            assert sum(weights) == 100, (name, weights)
        for target, _ in nexts:
            assert target in actions, (name, target)


class Character:
    def __init__(self, folder):
        self.root = os.path.join(HERE, folder)
        if os.path.isdir(self.root):
            shutil.rmtree(self.root)
        for sub in ("actions", "images", "sounds"):
            os.makedirs(os.path.join(self.root, sub))
        self.actions = {}

    def image(self, name, canvas):
        canvas.save(os.path.join(self.root, "images", name + ".png"))

    def sound(self, name, samples):
        write_wav(os.path.join(self.root, "sounds", name + ".wav"), samples)

    def action(self, name, text, nexts):
        self.actions[name] = (text, nexts)
        with open(os.path.join(self.root, "actions", name + ".txt"), "w", newline="\n") as f:
            f.write(text)

    def info(self, text):
        with open(os.path.join(self.root, "info.txt"), "w", newline="\n") as f:
            f.write(text)


def sleep_letter(c, x, y, size, ramp):
    """A Z of three outlined strokes with its top-left corner at (x, y)."""
    for stroke in ((x, y, x + size, y), (x + size, y, x, y + size), (x, y + size, x + size, y + size)):
        c.part(capsule(*stroke, 0.75, ramp, level=0.7))


# ---------------------------------------------------------------- Zippy

Z_W, Z_H = 72, 80
Z_OUTLINE = hex_color("#1A1F2E")
Z_BODY = Ramp("#124B5E", "#196A7C", "#21879A", "#2FA6B3", "#56C4C8", "#9BE3DD")
Z_BELLY = Ramp("#B9A77E", "#DCCDA2", "#F2E8C6", "#FFF8E4")
Z_EAR = Ramp("#A64168", "#D26A8E", "#EE9BB5")
Z_EYE = Ramp("#B9C8DA", "#E6EEF6", "#FFFFFF")
Z_PUPIL = Ramp("#101225", "#2A2F52")
Z_FEET = Ramp("#8E3A14", "#C25A22", "#E5802F", "#F8A95A")
Z_BOLT = Ramp("#A57A00", "#D9A514", "#F5C933", "#FFE98A")
Z_CHEEK = hex_color("#EE8CA4")
Z_MOUTH = hex_color("#4A1E2C")
Z_SLEEP = Ramp("#5D6FA8", "#8FA3DA", "#C7D3F5")
Z_SHINE = (255, 255, 255)

Z_FOOT_Y = 74  # centre row of the feet; their outline's last row is the standing line's row above
Z_ANCHOR = (36, 79)


def zippy(look=(0.0, 0.0), eyes="open", feet=(0, 0), lift=(0, 0), bob=0, squash=0, arms="down",
          tail=True, mouth="smile", zs=0, walk=False):
    """One picture of Zippy.

    look: pupil offset (-1..1 each way); eyes: open, closed, happy;
    feet: forward shift of the left and right foot (walking), lift: how far
    each foot is raised; bob: the body moves down by this many pixels;
    squash: the body is this much wider and lower (crouch, sit);
    arms: down, wave, wave2, up; zs: sleep letters to draw (0..3).
    """
    c = Canvas(Z_W, Z_H, Z_OUTLINE)
    cx = 36
    body_cy = 49 + bob + squash * 0.6
    rx = 23 + squash * 0.8
    ry = 21 - squash * 0.6

    # tail: a lightning bolt behind the body, on the right (left when walking right,
    # since a walking picture is drawn facing right and the bolt trails behind)
    if tail:
        tx = -1 if walk else 1
        pts = [(0, 6), (11, -4), (7, -5), (15, -15), (3, -6), (7, -5), (-2, 2)]
        scale = 1.15 if walk else 1.35  # a trailing bolt must stay inside the canvas
        base_x = cx + tx * (16 if walk else 17)
        base_y = body_cy + 9
        c.part(polygon([(base_x + tx * px * scale, base_y + py * scale) for px, py in pts], Z_BOLT, 0.55))

    # feet under the body
    for side, shift, up in ((-1, feet[0], lift[0]), (1, feet[1], lift[1])):
        fx = cx + side * 10 + shift
        c.part(ellipse(fx, Z_FOOT_Y - up, 7.5, 4.2, Z_FEET))

    # ears
    ear_top = body_cy - ry - 11
    for side in (-1, 1):
        outer = [(cx + side * 8, body_cy - ry + 6), (cx + side * 19, ear_top), (cx + side * 21, body_cy - ry + 12)]
        c.part(polygon(outer, Z_BODY, 0.5))
        inner = [(cx + side * 11.5, body_cy - ry + 6), (cx + side * 18.5, ear_top + 5),
                 (cx + side * 19, body_cy - ry + 9)]
        c.part(polygon(inner, Z_EAR, 0.45), outline=False)

    # arms behind the body when down; raised ones in front
    def arm(side, pose):
        sx = cx + side * (rx - 3)
        sy = body_cy + 5
        if pose == "down":
            return capsule(sx, sy, sx + side * 3, sy + 8, 3.3, Z_BODY)
        if pose == "up":
            return capsule(sx, sy - 4, sx + side * 7, sy - 18, 3.3, Z_BODY)
        if pose == "wave":
            return capsule(sx, sy - 2, sx + side * 9, sy - 15, 3.3, Z_BODY)
        return capsule(sx, sy - 2, sx + side * 3, sy - 19, 3.3, Z_BODY)  # wave2

    left_pose = "down" if arms in ("down", "wave", "wave2") else arms
    right_pose = arms if arms != "down" else "down"
    if left_pose == "down":
        c.part(arm(-1, "down"))
    if right_pose == "down":
        c.part(arm(1, "down"))

    body = ellipse(cx, body_cy, rx, ry, Z_BODY)
    c.part(body)
    c.part(clipped(ellipse(cx, body_cy + 10, rx * 0.58, ry * 0.55, Z_BELLY, lift=0.15), body), outline=False)

    if left_pose != "down":
        c.part(arm(-1, left_pose))
    if right_pose != "down":
        c.part(arm(1, right_pose))

    # face
    eye_y = body_cy - 5
    for side in (-1, 1):
        ex = cx + side * 8
        if eyes == "open":
            c.part(ellipse(ex, eye_y, 5.2, 6.4, Z_EYE, lift=0.2))
            px = ex + look[0] * 2.2
            py = eye_y + look[1] * 2.8
            c.part(ellipse(px, py, 2.6, 3.5, Z_PUPIL), outline=False)
            c.dot(int(px - 1.2), int(py - 2.0), Z_SHINE)
        elif eyes == "happy":
            for dx in range(-3, 4):
                c.dot(int(ex + dx), int(eye_y - 2 + abs(dx) // 2 * -1 + 1), Z_OUTLINE)
        else:  # closed
            for dx in range(-4, 5):
                c.dot(int(ex + dx), int(eye_y + (1 if abs(dx) < 3 else 0)), Z_OUTLINE)
        c.part(ellipse(cx + side * 15, eye_y + 7, 3.2, 2.0, None, flat=Z_CHEEK), outline=False)

    my = int(eye_y + 9)
    if mouth == "smile":
        for dx in range(-3, 4):
            c.dot(cx + dx, my + (1 if abs(dx) <= 1 else 0), Z_MOUTH)
    elif mouth == "open":
        c.part(ellipse(cx, my + 1, 2.6, 2.4, None, flat=Z_MOUTH), outline=False)
    elif mouth == "small":
        for dx in range(-1, 2):
            c.dot(cx + dx, my, Z_MOUTH)

    # sleep letters, rising to the upper right
    for i in range(zs):
        sleep_letter(c, *((56, 21, 5), (62, 11, 6), (54, 1, 7))[i], Z_SLEEP)
    return c


LOOKS = [(0, -1), (0.75, -0.75), (1, 0), (0.75, 0.75), (0, 1), (-0.75, 0.75), (-1, 0), (-0.75, -0.75)]


def make_zippy():
    ch = Character("zippy")
    A = Z_ANCHOR

    ch.image("std00", zippy())
    ch.image("std01", zippy(eyes="closed"))
    ch.image("std02", zippy(eyes="happy", mouth="open"))
    ch.image("lok00", zippy(look=(-1, 0)))
    ch.image("lok01", zippy(look=(1, 0)))
    ch.image("lok02", zippy(look=(0, -1), mouth="small"))
    for i, look in enumerate(LOOKS):
        ch.image(f"mus{i:02d}", zippy(look=look, mouth="small"))

    walk = [dict(feet=(-4, 4), lift=(3, 0), bob=0), dict(feet=(0, 0), lift=(0, 0), bob=1),
            dict(feet=(4, -4), lift=(0, 3), bob=0), dict(feet=(0, 0), lift=(0, 0), bob=1)]
    for i, w in enumerate(walk):
        pic = zippy(look=(1, 0), walk=True, **w)
        ch.image(f"wkr{i:02d}", pic)
        ch.image(f"wkl{i:02d}", pic.mirrored())

    ch.image("sit00", zippy(squash=3, bob=1))
    ch.image("sit01", zippy(squash=6, bob=3, eyes="happy", mouth="smile"))
    ch.image("sit02", zippy(squash=6, bob=3, eyes="closed"))
    ch.image("sit03", zippy(squash=6, bob=3, look=(0.5, 0.3)))
    ch.image("jmp00", zippy(squash=4, bob=2, look=(0, -1)))
    ch.image("jmp01", zippy(arms="up", mouth="open", look=(0, -1), lift=(2, 2)))
    ch.image("jmp02", zippy(arms="up", eyes="happy", mouth="open", lift=(1, 1)))
    ch.image("slp00", zippy(squash=6, bob=3, eyes="closed", mouth="small", zs=1, tail=True))
    ch.image("slp01", zippy(squash=6, bob=3, eyes="closed", mouth="small", zs=2))
    ch.image("slp02", zippy(squash=6, bob=3, eyes="closed", mouth="open", zs=3))
    ch.image("wav00", zippy(arms="wave", mouth="open"))
    ch.image("wav01", zippy(arms="wave2", eyes="happy", mouth="open"))

    # sounds
    ch.sound("boot00", then(notes([523, 659, 784], 0.09), tone(lambda t: 1047, 0.28, "triangle", 0.7, 0.005, 0.2)))
    ch.sound("boot01", then(notes([784, 659], 0.08), notes([880, 1175], 0.1),
                            tone(lambda t: 1568 - 200 * t, 0.2, "sine", 0.6, 0.005, 0.15)))
    ch.sound("hop00", tone(lambda t: 300 + 700 * t, 0.22, "sine", 0.8, 0.005, 0.06, vibrato=0.04))
    ch.sound("hop01", tone(lambda t: 250 + 500 * math.sin(t * math.pi), 0.3, "triangle", 0.8, 0.005, 0.1))
    ch.sound("plop00", mix(tone(lambda t: 220 - 120 * t, 0.12, "sine", 0.9, 0.002, 0.06),
                           noise(0.06, 0.25, 1, 0.6, lambda t: 1 - t)))
    ch.sound("snore00", then(noise(0.7, 0.3, 2, 0.93, lambda t: math.sin(math.pi * t) ** 2),
                             silence(0.15),
                             tone(lambda t: 900 - 300 * t, 0.25, "sine", 0.25, 0.05, 0.15)))
    ch.sound("hi00", then(tone(lambda t: 700 + 300 * t, 0.09, "triangle", 0.7, 0.005, 0.03),
                          tone(lambda t: 1100 + 250 * t, 0.14, "triangle", 0.7, 0.005, 0.08)))
    ch.sound("hi01", then(tone(lambda t: 900, 0.07, "square", 0.45, 0.005, 0.03), silence(0.03),
                          tone(lambda t: 1200, 0.12, "square", 0.45, 0.005, 0.08)))

    # idle lists: the first block (adding up to 100) is the lively choice that
    # a restless personality always takes; its last entry opens the calm
    # second block, which adds up to 900 from there
    def01_next = [("wkr01", 24), ("wkl01", 24), ("jmp01", 14), ("wav01", 12), ("mus01", 16), ("def02", 10),
                  ("def01", 420), ("sit01", 240), ("slp01", 110), ("lok01", 120)]
    ch.action("def01", action_script("std", 3, A, [(0, 0, 0, 1800), (1, 0, 0, 140), (0, 0, 0, 1300),
                                                    (1, 0, 0, 120), (0, 0, 0, 120), (1, 0, 0, 120), (0, 0, 0, 900)],
                                     (0, 6, 0), def01_next), def01_next)
    def02_next = [("wkr01", 30), ("wkl01", 30), ("jmp01", 20), ("def01", 20),
                  ("def02", 300), ("sit01", 300), ("lok01", 180), ("slp01", 100)]
    ch.action("def02", action_script("std", 3, A, [(0, 0, 0, 900), (2, 0, 0, 700), (0, 0, 0, 900), (1, 0, 0, 130),
                                                    (0, 0, 0, 1500)], (0, 4, 0), def02_next), def02_next)
    lok_next = [("def01", 50), ("def02", 20), ("mus01", 20), ("wav01", 10)]
    ch.action("lok01", action_script("lok", 3, A, [(0, 0, 0, 700), (1, 0, 0, 900), (0, 0, 0, 500),
                                                    (2, 0, 0, 800), (1, 0, 0, 600)], (0, 4, 0), lok_next), lok_next)
    walk_steps = [(i, 3, 0, 110) for i in range(4)]
    wkr_next = [("def01", 55), ("def02", 15), ("wkl01", 15), ("sit01", 10), ("jmp01", 5)]
    ch.action("wkr01", action_script("wkr", 4, A, walk_steps, (0, 3, 3), wkr_next), wkr_next)
    wkl_next = [("def01", 55), ("def02", 15), ("wkr01", 15), ("sit01", 10), ("jmp01", 5)]
    ch.action("wkl01", action_script("wkl", 4, A, [(i, -3, 0, 110) for i in range(4)], (0, 3, 3), wkl_next),
              wkl_next)
    # mouse watching: step 0 names the watching point (between the eyes), step 1 the frame time
    mus_next = [("def01", 60), ("wav01", 25), ("jmp01", 15)]
    ch.action("mus01", action_script("mus", 8, A, [(0, 36, 44, 100), (0, 0, 0, 100)], (0, 1, 0), mus_next),
              mus_next)
    sit_next = [("def01", 60), ("slp01", 25), ("def02", 15)]
    ch.action("sit01", action_script("sit", 4, A, [(0, 0, 0, 140), (1, 0, 0, 1500), (3, 0, 0, 1800),
                                                    (2, 0, 0, 140), (3, 0, 0, 2200), (1, 0, 0, 1200),
                                                    (0, 0, 0, 140)],
                                     (2, 4, 1), sit_next, ("plop", [100], 2)), sit_next)
    jmp_next = [("def01", 60), ("wav01", 20), ("wkr01", 10), ("wkl01", 10)]
    ch.action("jmp01", action_script("jmp", 3, A, [(0, 0, 0, 160), (1, 0, -9, 60), (1, 0, -7, 60), (1, 0, -4, 70),
                                                    (2, 0, -2, 110), (2, 0, 2, 110), (1, 0, 4, 70), (1, 0, 7, 60),
                                                    (1, 0, 9, 60), (0, 0, 0, 160)],
                                     (0, 9, 0), jmp_next, ("hop", [60, 40], 2)), jmp_next)
    slp_next = [("def01", 70), ("sit01", 30)]
    ch.action("slp01", action_script("slp", 3, A, [(0, 0, 0, 900), (1, 0, 0, 900), (2, 0, 0, 1100)],
                                     (0, 2, 6), slp_next, ("snore", [100], 3)), slp_next)
    wav_next = [("def01", 70), ("def02", 20), ("jmp01", 10)]
    ch.action("wav01", action_script("wav", 2, A, [(0, 0, 0, 220), (1, 0, 0, 220)], (0, 1, 3), wav_next,
                                     ("hi", [50, 50], 1)), wav_next)

    check_lists(ch.actions)
    ch.info(info_script("Zippy", "A quick little critter with a lightning tail; art and sounds made by the Zippit"
                                 " project", (Z_W, Z_H), (30, 30), 2, [("def01", 70), ("wav01", 30)]))


# ---------------------------------------------------------------- Pebble

P_W, P_H = 44, 36
P_OUTLINE = hex_color("#22202A")
P_STONE = Ramp("#4E4A5E", "#6B6680", "#8A849E", "#A9A3BB", "#CCC7DA")
P_MOSS = Ramp("#2F5E1E", "#4C8A2A", "#74B33E", "#A5D86A")
P_EYE = hex_color("#15131C")
P_BLUSH = hex_color("#D98FA6")
P_ANCHOR = (22, 35)


def pebble(look=(0, 0), eyes="open", squash=0, tilt=0.0, hop=0, sleepy=False, zs=0):
    c = Canvas(P_W, P_H, P_OUTLINE)
    cx = 22 + tilt * 3
    cy = 23 - hop + squash * 0.5
    rx = 18 + squash
    ry = 10.5 - squash * 0.6
    # stubby feet
    for side in (-1, 1):
        c.part(ellipse(22 + side * 8, 32 - hop, 4, 2.2, P_STONE, lift=-0.1))
    stone = ellipse(cx, cy, rx, ry, P_STONE, angle=tilt * 0.12)
    c.part(stone)
    # moss tuft on top
    c.part(ellipse(cx - 3, cy - ry + 1, 6, 3, P_MOSS))
    c.part(ellipse(cx + 3, cy - ry + 0.5, 4, 2.5, P_MOSS, lift=0.1))
    # speckles
    for sx, sy in ((-10, 4), (9, 5), (12, -1), (-6, 7)):
        c.dot(int(cx + sx), int(cy + sy), P_STONE.colors[1])
    ey = int(cy + 1)
    for side in (-1, 1):
        ex = int(cx + side * 6)
        if eyes == "open":
            px, py = ex + 0.5 + look[0] * 1.3, ey + look[1] * 1.3
            c.part(ellipse(px, py, 2.1, 2.8, None, flat=P_EYE), outline=False)
            c.dot(int(px - 0.8), int(py - 1.2), (255, 255, 255))
        else:
            for dx in range(-2, 3):
                c.dot(ex + dx, ey + 1 + (1 if abs(dx) < 2 else 0), P_EYE)
        c.dot(ex + side * 4, ey + 3, P_BLUSH)
        c.dot(ex + side * 4 + 1, ey + 3, P_BLUSH)
    for i in range(zs):
        sleep_letter(c, *((35, 9, 4), (39, 1, 4))[i], Ramp("#6C7BB0", "#9FB0E0", "#D3DCF7"))
    return c


def make_pebble():
    ch = Character("pebble")
    A = P_ANCHOR
    ch.image("peb00", pebble())
    ch.image("peb01", pebble(eyes="closed"))
    ch.image("peb02", pebble(tilt=-1))
    ch.image("peb03", pebble(tilt=1))
    for i, look in enumerate(LOOKS):
        ch.image(f"eye{i:02d}", pebble(look=look))
    ch.image("rol00", pebble(look=(1, 0), squash=1))
    ch.image("rol01", pebble(look=(1, 0), hop=2))
    ch.image("lor00", pebble(look=(1, 0), squash=1).mirrored())
    ch.image("lor01", pebble(look=(1, 0), hop=2).mirrored())
    ch.image("hop00", pebble(squash=2))
    ch.image("hop01", pebble(hop=3, look=(0, -1)))
    ch.image("nap00", pebble(eyes="closed", squash=1, zs=1))
    ch.image("nap01", pebble(eyes="closed", squash=1, zs=2))

    ch.sound("boot00", notes([392, 523], 0.1, "sine", 0.7))
    ch.sound("boot01", notes([523, 392, 523], 0.08, "sine", 0.7))
    ch.sound("tok00", mix(tone(lambda t: 180 - 60 * t, 0.08, "sine", 0.9, 0.002, 0.05),
                          noise(0.04, 0.3, 3, 0.5, lambda t: 1 - t)))
    ch.sound("hum00", tone(lambda t: 150 + 20 * math.sin(6 * t), 0.6, "triangle", 0.35, 0.1, 0.3))

    first = [("wkr01", 30), ("wkl01", 30), ("hop01", 20), ("mus01", 20)]
    def01_next = first[:3] + [("mus01", 20), ("def01", 500), ("def02", 250), ("nap01", 130)]
    ch.action("def01", action_script("peb", 2, A, [(0, 0, 0, 2000), (1, 0, 0, 150), (0, 0, 0, 1500),
                                                    (1, 0, 0, 150)], (0, 3, 0), def01_next), def01_next)
    def02_next = [("hop01", 40), ("wkr01", 30), ("def02", 30), ("def01", 620), ("nap01", 250)]
    ch.action("def02", action_script("peb", 4, A, [(2, 0, 0, 300), (0, 0, 0, 300), (3, 0, 0, 300),
                                                    (0, 0, 0, 300)], (0, 3, 1), def02_next), def02_next)
    wkr_next = [("def01", 70), ("wkl01", 20), ("hop01", 10)]
    ch.action("wkr01", action_script("rol", 2, A, [(0, 2, 0, 140), (1, 2, 0, 140)], (0, 1, 5), wkr_next),
              wkr_next)
    wkl_next = [("def01", 70), ("wkr01", 20), ("hop01", 10)]
    ch.action("wkl01", action_script("lor", 2, A, [(0, -2, 0, 140), (1, -2, 0, 140)], (0, 1, 5), wkl_next),
              wkl_next)
    mus_next = [("def01", 80), ("hop01", 20)]
    ch.action("mus01", action_script("eye", 8, A, [(0, 22, 23, 100), (0, 0, 0, 100)], (0, 1, 0), mus_next),
              mus_next)
    hop_next = [("def01", 100)]
    ch.action("hop01", action_script("hop", 2, A, [(0, 0, 0, 150), (1, 0, -4, 80), (1, 0, -2, 80), (1, 0, 2, 80),
                                                    (1, 0, 4, 80), (0, 0, 0, 150)], (0, 5, 0), hop_next,
                                     ("tok", [100], 5)), hop_next)
    nap_next = [("def01", 100)]
    ch.action("nap01", action_script("nap", 2, A, [(0, 0, 0, 1000), (1, 0, 0, 1000)], (0, 1, 5), nap_next,
                                     ("hum", [100], 1)), nap_next)
    # The sleep action, which Zippit plays while the user is away: the nap's
    # pictures, slower, silent, for as long as it lasts.
    slp_next = [("def01", 100)]
    ch.action("slp01", action_script("nap", 2, A, [(0, 0, 0, 1600), (1, 0, 0, 1600)], (0, 1, -1), slp_next), slp_next)

    check_lists(ch.actions)
    ch.info(info_script("Pebble", "A small round stone with a tuft of moss; art and sounds made by the Zippit"
                                  " project", (P_W, P_H), (16, 16), 2, [("def01", 100)]))


if __name__ == "__main__":
    make_zippy()
    make_pebble()
