#!/usr/bin/python3
"""Draws every picture and icon of MERLOX2 into resources/pictures and resources/icons.

The pictures are flat illustrations drawn from simple shapes. Each one is drawn at four times its size
and scaled down, which smooths the edges. Nothing random is used, so a second run writes the same
files. It needs PIL (Debian's python3-pil); run it from anywhere with that Python:

    /usr/bin/python3 resources/tools/make_pictures.py
"""

import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

RESOURCES = Path(__file__).resolve().parent.parent
PICTURES = RESOURCES / "pictures"
ICONS = RESOURCES / "icons"
FONT_BOLD = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"

SS = 4  # supersampling factor

# One small palette for every picture keeps them looking like a set.
NAVY = (38, 70, 83)
TEAL = (42, 157, 143)
SAND = (233, 196, 106)
ORANGE = (244, 162, 97)
CORAL = (231, 111, 81)
WHITE = (255, 255, 255)
CREAM = (250, 244, 230)
SKY_TOP = (150, 205, 225)
SKY_LOW = (226, 242, 243)
TRACK = (201, 96, 72)
TRACK_DARK = (178, 80, 60)
GRASS = (128, 184, 104)
GRASS_DARK = (92, 152, 86)
TREE = (78, 140, 92)
TREE_DARK = (60, 116, 80)
SKIN_LIGHT = (243, 200, 164)
SKIN_MID = (222, 168, 122)
SKIN_DARK = (176, 118, 80)
HAIR_DARK = (48, 36, 30)
HAIR_BROWN = (110, 68, 40)
SHOE = (60, 60, 70)


def shade(colour, factor):
    """Darker (factor < 1) or lighter (factor > 1) version of a colour."""
    if factor <= 1:
        return tuple(max(0, int(round(c * factor))) for c in colour)
    return tuple(min(255, int(round(c + (255 - c) * (factor - 1)))) for c in colour)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    """An RGBA drawing surface addressed in output pixels; it draws at SS times the size."""

    def __init__(self, width, height, background=WHITE):
        self.width = width
        self.height = height
        self.image = Image.new("RGBA", (width * SS, height * SS), background + (255,))
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def _s(value):
        return value * SS

    def _pts(self, points):
        return [(x * SS, y * SS) for x, y in points]

    def rect(self, x0, y0, x1, y1, fill):
        self.draw.rectangle([x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1], fill=fill)

    def rounded(self, x0, y0, x1, y1, radius, fill, outline=None, width=0):
        self.draw.rounded_rectangle([x0 * SS, y0 * SS, x1 * SS, y1 * SS], radius * SS, fill=fill,
                                    outline=outline, width=int(width * SS))

    def poly(self, points, fill):
        self.draw.polygon(self._pts(points), fill=fill)

    def ellipse(self, cx, cy, rx, ry, fill, outline=None, width=0):
        self.draw.ellipse([(cx - rx) * SS, (cy - ry) * SS, (cx + rx) * SS, (cy + ry) * SS], fill=fill,
                          outline=outline, width=int(width * SS))

    def circle(self, cx, cy, r, fill, outline=None, width=0):
        self.ellipse(cx, cy, r, r, fill, outline, width)

    def _box(self, cx, cy, r):
        return [(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS]

    def pieslice(self, cx, cy, r, start, end, fill):
        self.draw.pieslice(self._box(cx, cy, r), start, end, fill=fill)

    def chord(self, cx, cy, r, start, end, fill):
        self.draw.chord([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS], start, end, fill=fill)

    def arc(self, cx, cy, r, start, end, fill, width):
        self.draw.arc([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS], start, end, fill=fill,
                      width=int(round(width * SS)))

    def capsule(self, p, q, width, fill):
        """A thick segment with round ends: the building block of the figures."""
        (x0, y0), (x1, y1) = p, q
        r = width / 2
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy)
        if length > 1e-6:
            nx, ny = -dy / length * r, dx / length * r
            self.poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], fill)
        self.circle(x0, y0, r, fill)
        self.circle(x1, y1, r, fill)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        h = max(1, int(round((y1 - y0) * SS)))
        for i in range(h):
            colour = mix(top, bottom, i / max(1, h - 1))
            y = y0 * SS + i
            self.draw.line([(x0 * SS, y), (x1 * SS - 1, y)], fill=colour)

    def text(self, x, y, text, size, fill, anchor="la"):
        font = ImageFont.truetype(FONT_BOLD, int(round(size * SS)))
        self.draw.text((x * SS, y * SS), text, font=font, fill=fill, anchor=anchor)

    def text_width(self, text, size):
        font = ImageFont.truetype(FONT_BOLD, int(round(size * SS)))
        return self.draw.textlength(text, font=font) / SS

    def overlay(self):
        """A transparent layer of the same size, for soft shadows; merge it with composite()."""
        layer = Canvas.__new__(Canvas)
        layer.width, layer.height = self.width, self.height
        layer.image = Image.new("RGBA", self.image.size, (0, 0, 0, 0))
        layer.draw = ImageDraw.Draw(layer.image)
        return layer

    def composite(self, layer):
        self.image = Image.alpha_composite(self.image, layer.image)
        self.draw = ImageDraw.Draw(self.image)

    def result(self, mode="RGB"):
        small = self.image.resize((self.width, self.height), Image.LANCZOS)
        return small if mode == "RGBA" else small.convert(mode)


# ---------------------------------------------------------------------------------------------------
# Figures. A pose places the hip at the origin, y downwards, facing right; lengths are in "units",
# a standing figure being about 100 units tall. Hands and feet are given as targets and the elbows and
# knees are found by two-bone inverse kinematics, so the limbs always keep their lengths.

TORSO, NECK, HEAD_R = 30.0, 4.0, 7.5
UPPER_ARM, FOREARM = 16.0, 15.0
THIGH, SHIN = 22.0, 22.0


def _unit(angle_deg):
    """Direction of an angle measured from straight down, positive towards the front."""
    a = math.radians(angle_deg)
    return math.sin(a), math.cos(a)


def _two_bone(root, target, a, b, side):
    """The middle joint of a limb of lengths a and b from root towards target; side picks the bend."""
    dx, dy = target[0] - root[0], target[1] - root[1]
    d = math.hypot(dx, dy)
    d = min(max(d, abs(a - b) + 1e-3), a + b - 1e-3)
    base = math.atan2(dy, dx)
    alpha = math.acos((a * a + d * d - b * b) / (2 * a * d))
    ang = base + side * alpha
    joint = (root[0] + a * math.cos(ang), root[1] + a * math.sin(ang))
    end = (root[0] + math.cos(base) * d, root[1] + math.sin(base) * d)
    return joint, end


def solve_pose(pose):
    """Joint positions of a pose (hip at the origin)."""
    lean = pose.get("lean", 0.0)
    tx, ty = math.sin(math.radians(lean)), -math.cos(math.radians(lean))
    hip = (0.0, 0.0)
    shoulder = (tx * TORSO, ty * TORSO)
    tilt = lean + pose.get("head_tilt", 0.0)
    hx, hy = math.sin(math.radians(tilt)), -math.cos(math.radians(tilt))
    head = (shoulder[0] + hx * (NECK + HEAD_R), shoulder[1] + hy * (NECK + HEAD_R))
    joints = {"hip": hip, "shoulder": shoulder, "head": head, "lean": lean}
    for limb in ("near_arm", "far_arm"):
        target = pose[limb]
        hand = (shoulder[0] + target[0], shoulder[1] + target[1])
        # Elbows bend backwards and knees forwards, whatever the direction of the limb.
        elbow, hand = _two_bone(shoulder, hand, UPPER_ARM, FOREARM, +1)
        joints[limb] = (shoulder, elbow, hand)
    for limb in ("near_leg", "far_leg"):
        target = pose[limb]
        knee, foot = _two_bone(hip, target, THIGH, SHIN, -1)
        joints[limb] = (hip, knee, foot)
    return joints


def _foot_direction(knee, ankle, override):
    if override is not None:
        return _unit(override + 90)
    dx, dy = ankle[0] - knee[0], ankle[1] - knee[1]
    length = math.hypot(dx, dy) or 1.0
    return dy / length, -dx / length


def figure(cv, x, ground, height, pose, look, facing=1, shadow=True):
    """Draws a clothed figure whose lowest hand or foot touches the line y = ground, its hip at x.

    height is the pixel size of 100 units. look holds the colours: skin, hair, shirt, shorts, shoes and
    optionally 'ponytail' and 'number' (a race bib).
    """
    j = solve_pose(pose)
    s = height / 100.0
    feet = pose.get("feet", (None, None))

    # Limb widths in units.
    w_torso, w_upper, w_fore, w_thigh, w_shin, r_hand = 13.0, 6.2, 5.2, 8.2, 6.4, 3.0

    lowest = -1e9
    for name in ("near_leg", "far_leg"):
        lowest = max(lowest, j[name][2][1] + 4.0, j[name][1][1] + w_shin / 2)
    for name in ("near_arm", "far_arm"):
        lowest = max(lowest, j[name][2][1] + r_hand, j[name][1][1] + w_upper / 2)
    y0 = ground - lowest * s

    def P(p):
        return (x + facing * p[0] * s, y0 + p[1] * s)

    if shadow:
        sh = cv.overlay()
        xs = [j[n][2][0] for n in ("near_leg", "far_leg", "near_arm", "far_arm")] + [0.0, j["head"][0]]
        cx = (min(xs) + max(xs)) / 2
        half = (max(xs) - min(xs)) / 2 + 8
        sh.ellipse(x + facing * cx * s, ground, half * s, 3.2 * s, (20, 30, 40, 60))
        cv.composite(sh)

    skin, shirt, shorts = look["skin"], look["shirt"], look["shorts"]
    shoes = look.get("shoes", SHOE)
    hair = look.get("hair", HAIR_DARK)

    def leg(name, dark):
        f = 0.80 if dark else 1.0
        hip, knee, foot = j[name]
        cv.capsule(P(hip), P(knee), w_thigh * s, shade(skin, f))
        cv.capsule(P(knee), P(foot), w_shin * s, shade(skin, f))
        # Shorts cover the upper part of the thigh.
        mid = (hip[0] + (knee[0] - hip[0]) * 0.36, hip[1] + (knee[1] - hip[1]) * 0.36)
        cv.capsule(P(hip), P(mid), (w_thigh + 1.2) * s, shade(shorts, f))
        fx, fy = _foot_direction(knee, foot, feet[0 if name == "near_leg" else 1])
        toe = (foot[0] + fx * 7.5 - 0.0, foot[1] + fy * 7.5)
        heel = (foot[0] - fx * 1.5, foot[1] - fy * 1.5)
        cv.capsule(P(heel), P(toe), 5.6 * s, shade(shoes, f))

    def arm(name, dark):
        f = 0.80 if dark else 1.0
        shoulder, elbow, hand = j[name]
        cv.capsule(P(shoulder), P(elbow), w_upper * s, shade(skin, f))
        cv.capsule(P(elbow), P(hand), w_fore * s, shade(skin, f))
        cv.circle(*P(hand), r_hand * s, shade(skin, f))
        sleeve = (shoulder[0] + (elbow[0] - shoulder[0]) * 0.5, shoulder[1] + (elbow[1] - shoulder[1]) * 0.5)
        cv.capsule(P(shoulder), P(sleeve), (w_upper + 1.4) * s, shade(shirt, f))

    def torso():
        hip, shoulder = j["hip"], j["shoulder"]
        neck_top = (shoulder[0] + (j["head"][0] - shoulder[0]) * 0.45,
                    shoulder[1] + (j["head"][1] - shoulder[1]) * 0.45)
        cv.capsule(P(shoulder), P(neck_top), 5.0 * s, shade(skin, 0.9))
        chest = (hip[0] + (shoulder[0] - hip[0]) * 0.45, hip[1] + (shoulder[1] - hip[1]) * 0.45)
        cv.capsule(P(hip), P(shoulder), (w_torso - 2.0) * s, shirt)
        cv.capsule(P(chest), P(shoulder), w_torso * s, shirt)
        # A lighter band down the front of the shirt gives the body some volume.
        lean = math.radians(j["lean"])
        off = (math.cos(lean) * 2.6, math.sin(lean) * 2.6)
        a = (hip[0] + off[0] + (shoulder[0] - hip[0]) * 0.15, hip[1] + off[1] + (shoulder[1] - hip[1]) * 0.15)
        b = (hip[0] + off[0] + (shoulder[0] - hip[0]) * 0.85, hip[1] + off[1] + (shoulder[1] - hip[1]) * 0.85)
        cv.capsule(P(a), P(b), 5.0 * s, shade(shirt, 1.18))
        waist = (hip[0] + (shoulder[0] - hip[0]) * 0.2, hip[1] + (shoulder[1] - hip[1]) * 0.2)
        cv.capsule(P(hip), P(waist), (w_torso - 1.4) * s, shorts)
        if look.get("number"):
            c = (hip[0] + (shoulder[0] - hip[0]) * 0.58, hip[1] + (shoulder[1] - hip[1]) * 0.58)
            cx, cy = P(c)
            cv.rounded(cx - 3.6 * s, cy - 3.4 * s, cx + 3.6 * s, cy + 3.4 * s, 0.8 * s, CREAM)

    def head():
        hx, hy = P(j["head"])
        r = HEAD_R * s
        tilt = j["lean"] + pose.get("head_tilt", 0.0)
        if look.get("ponytail"):
            cv.ellipse(hx - facing * r * 1.05, hy - r * 0.15, r * 0.55, r * 0.42, hair)
        cv.circle(hx, hy, r, skin)
        # Hair covers the top and the back of the head; PIL angles run clockwise from 3 o'clock.
        def ang(a):  # an angle on a right-facing head, turned for this head's tilt and facing
            return a + tilt if facing > 0 else 180 - a - tilt

        back_hair = sorted((ang(130), ang(295)))
        top_hair = sorted((ang(190), ang(345)))
        cv.pieslice(hx, hy, r * 1.04, back_hair[0], back_hair[1], hair)
        cv.chord(hx, hy, r * 1.04, top_hair[0], top_hair[1], hair)
        # Ear, and an eye once the head is big enough to carry one.
        cv.circle(hx - facing * r * 0.1, hy + r * 0.14, r * 0.2, shade(skin, 0.86))
        if r >= 5:
            e = math.radians(ang(-12))
            cv.circle(hx + math.cos(e) * r * 0.55, hy + math.sin(e) * r * 0.55, r * 0.09, HAIR_DARK)

    arm("far_arm", True)
    leg("far_leg", True)
    torso()
    head()
    leg("near_leg", False)
    arm("near_arm", False)
    return j


def pose_bounds(pose):
    """Bounding box (x0, y0, x1, y1) of a pose's joints and head, in units, hip at the origin."""
    j = solve_pose(pose)
    pts = [j["hip"], j["shoulder"]]
    for name in ("near_arm", "far_arm", "near_leg", "far_leg"):
        pts.extend(j[name])
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    hx, hy = j["head"]
    return (min(min(xs) - 5, hx - 9), min(min(ys) - 5, hy - 9), max(max(xs) + 5, hx + 9), max(ys) + 5)


def pictogram_centred(cv, cx, cy, size, pose, colour, thick=1.0):
    """A pictogram whose bounding box is centred on (cx, cy)."""
    x0, y0, x1, y1 = pose_bounds(pose)
    s = size / 100.0
    pictogram(cv, cx - (x0 + x1) / 2 * s, cy - (y0 + y1) / 2 * s, size, pose, colour, thick=thick)


def pictogram(cv, x, y, size, pose, colour, facing=1, thick=1.0):
    """A one-colour figure (banners and icons); (x, y) is the hip, size the pixels of 100 units."""
    j = solve_pose(pose)
    s = size / 100.0

    def P(p):
        return (x + facing * p[0] * s, y + p[1] * s)

    for name, width in (("near_arm", 8.5), ("far_arm", 8.5)):
        a, b, c = j[name]
        cv.capsule(P(a), P(b), width * thick * s, colour)
        cv.capsule(P(b), P(c), width * thick * s, colour)
    for name in ("near_leg", "far_leg"):
        a, b, c = j[name]
        cv.capsule(P(a), P(b), 10.5 * thick * s, colour)
        cv.capsule(P(b), P(c), 9.5 * thick * s, colour)
    cv.capsule(P(j["hip"]), P(j["shoulder"]), 13.5 * thick * s, colour)
    hx, hy = P(j["head"])
    lean = math.radians(j["lean"])
    gap = 2.5 * thick
    cv.circle(hx + facing * math.sin(lean) * gap * s, hy - math.cos(lean) * gap * s, 8.5 * thick * s, colour)


# Poses --------------------------------------------------------------------------------------------

RUN = {
    "lean": 14, "head_tilt": -6,
    "near_leg": (-21.0, 38.0), "far_leg": (13.0, 33.0),
    "near_arm": (16.0, 2.0), "far_arm": (-15.0, 19.0),
    "feet": (None, None),
}
RUN_B = {  # the other half of the stride
    "lean": 12, "head_tilt": -4,
    "near_leg": (12.0, 33.0), "far_leg": (-22.0, 37.0),
    "near_arm": (-14.0, 20.0), "far_arm": (16.0, 3.0),
}
RUN_C = {  # a jogging stride, more upright
    "lean": 8, "head_tilt": -3,
    "near_leg": (-15.0, 40.0), "far_leg": (10.0, 36.0),
    "near_arm": (13.0, 10.0), "far_arm": (-11.0, 22.0),
}
PUSH_UP = {  # arms extended, body straight from head to heels
    "lean": 66, "head_tilt": 8,
    "near_leg": (-40.3, 18.0), "far_leg": (-41.5, 16.0),
    "near_arm": (2.0, 29.5), "far_arm": (-1.0, 29.5),
    "feet": (30, 30),
}
PUSH_DOWN = {  # arms bent, chest near the floor
    "lean": 80, "head_tilt": 4,
    "near_leg": (-43.0, 8.0), "far_leg": (-43.3, 6.5),
    "near_arm": (-4.0, 17.0), "far_arm": (-6.0, 16.0),
    "feet": (25, 25),
}
ICON_RUN = {  # a long, open stride that still reads at sixteen pixels
    "lean": 18, "head_tilt": -4,
    "near_leg": (-30.0, 30.0), "far_leg": (25.0, 22.0),
    "near_arm": (19.0, -6.0), "far_arm": (-22.0, 12.0),
}
SQUAT = {  # knees at ninety degrees, arms forward
    "lean": 38, "head_tilt": -30,
    "near_leg": (20.0, 24.5), "far_leg": (22.0, 24.0),
    "near_arm": (30.0, -3.0), "far_arm": (30.0, 0.0),
    "feet": (0, 0),
}


# ---------------------------------------------------------------------------------------------------
# Scenery.

def sky(cv, y1, top=SKY_TOP, low=SKY_LOW):
    cv.vgradient(0, 0, cv.width, y1, top, low)


def cloud(cv, x, y, w, colour=WHITE):
    cv.ellipse(x, y, w * 0.5, w * 0.16, colour)
    cv.circle(x - w * 0.15, y - w * 0.08, w * 0.17, colour)
    cv.circle(x + w * 0.1, y - w * 0.12, w * 0.21, colour)
    cv.rect(x - w * 0.5, y, x + w * 0.5, y + w * 0.16, colour)


def treeline(cv, y, height, x0=0.0, x1=None, phase=0.0):
    """A row of round tree tops, alternating two greens."""
    x1 = cv.width if x1 is None else x1
    step = height * 0.9
    i = 0
    x = x0 - step * phase
    while x < x1 + step:
        r = height * (0.55 + 0.12 * ((i * 7) % 3))
        colour = TREE if i % 2 == 0 else TREE_DARK
        cv.circle(x, y - r * 0.6, r, colour)
        x += step
        i += 1
    cv.rect(x0, y - height * 0.2, x1, y + 1, TREE_DARK)


def stands(cv, y0, y1, x0=0.0, x1=None):
    """Grandstand: stepped rows in muted colours under a roof band."""
    x1 = cv.width if x1 is None else x1
    cv.rect(x0, y0, x1, y1, (206, 214, 216))
    rows = 4
    h = (y1 - y0) / (rows + 1)
    cv.rect(x0, y0, x1, y0 + h * 0.7, (120, 146, 156))
    colours = [(176, 196, 204), (158, 180, 190), (176, 196, 204), (158, 180, 190)]
    for r in range(rows):
        top = y0 + h * (r + 1)
        cv.rect(x0, top, x1, top + h * 0.62, colours[r])
    # Pillars.
    n = max(2, int((x1 - x0) / 60))
    for k in range(n + 1):
        px = x0 + (x1 - x0) * k / n
        cv.rect(px - 1, y0 + h * 0.7, px + 1, y1, (120, 146, 156))


def track_lanes(cv, y0, y1, lanes=5, x0=0.0, x1=None, growth=1.35):
    """Running lanes seen from the side: bands that widen towards the viewer, with white lines."""
    x1 = cv.width if x1 is None else x1
    weights = [growth ** i for i in range(lanes)]
    total = sum(weights)
    cv.rect(x0, y0, x1, y1, TRACK)
    y = y0
    bounds = [y0]
    for w in weights:
        y += (y1 - y0) * w / total
        bounds.append(y)
    for i in range(lanes):
        if i % 2 == 1:
            cv.rect(x0, bounds[i], x1, bounds[i + 1], shade(TRACK, 0.96))
    for i, b in enumerate(bounds[:-1]):
        cv.rect(x0, b, x1, b + max(0.7, 0.5 + 0.45 * i), WHITE)
    return bounds


def stopwatch(cv, cx, cy, r, ring=CORAL, face=WHITE, hand=NAVY, seconds=None, ticks=12):
    """A stopwatch with crown and side button; seconds puts the hand at that many seconds."""
    cv.rounded(cx - r * 0.2, cy - r * 1.42, cx + r * 0.2, cy - r * 1.18, r * 0.06, shade(ring, 0.8))
    cv.rect(cx - r * 0.11, cy - r * 1.2, cx + r * 0.11, cy - r * 0.9, shade(ring, 0.8))
    a = math.radians(-45)
    bx, by = cx + math.sin(a) * r * 1.08, cy - math.cos(a) * r * 1.08
    cv.capsule((bx, by), (bx - r * 0.1, by - r * 0.1), r * 0.2, shade(ring, 0.8))
    cv.circle(cx, cy, r, ring)
    cv.circle(cx, cy, r * 0.8, face)
    if seconds is not None:
        cv.pieslice(cx, cy, r * 0.5, -90, -90 + seconds * 6, shade(ring, 1.55) + (255,))
    for k in range(ticks):
        t = math.radians(k * 360 / ticks)
        major = ticks <= 4 or k % 3 == 0
        inner = 0.62 if major else 0.68
        cv.capsule((cx + math.sin(t) * r * inner, cy - math.cos(t) * r * inner),
                   (cx + math.sin(t) * r * 0.72, cy - math.cos(t) * r * 0.72),
                   r * (0.07 if major else 0.045), shade(NAVY, 1.3))
    if seconds is not None:
        t = math.radians(seconds * 6)
        cv.capsule((cx, cy), (cx + math.sin(t) * r * 0.6, cy - math.cos(t) * r * 0.6), r * 0.09, hand)
    cv.circle(cx, cy, r * 0.1, hand)


def whistle(cv, x, y, size, colour=SAND, cord=CORAL):
    """A whistle hanging from a hook at (x, y) by its cord; size is the whistle's length."""
    cx, cy = x, y + size * 1.35
    cv.circle(x, y, size * 0.08, (120, 120, 130))
    cv.capsule((x, y), (cx - size * 0.28, cy - size * 0.1), size * 0.07, cord)
    cv.capsule((x, y), (cx + size * 0.05, cy - size * 0.3), size * 0.07, cord)
    r = size * 0.3
    cv.rounded(cx - size * 0.05, cy - r, cx + size * 0.62, cy - r * 0.05, r * 0.25, shade(colour, 0.86))
    cv.circle(cx - size * 0.1, cy, r, colour)
    cv.circle(cx - size * 0.16, cy - r * 0.2, r * 0.32, shade(colour, 1.45))
    cv.rect(cx + size * 0.1, cy - r * 0.72, cx + size * 0.28, cy - r * 0.4, shade(colour, 0.6))


# ---------------------------------------------------------------------------------------------------
# The pictures.

RUNNER_A = {"skin": SKIN_MID, "hair": HAIR_DARK, "shirt": CORAL, "shorts": NAVY, "number": True}
RUNNER_B = {"skin": SKIN_LIGHT, "hair": HAIR_BROWN, "shirt": TEAL, "shorts": NAVY, "ponytail": True,
            "number": True}
RUNNER_C = {"skin": SKIN_DARK, "hair": HAIR_DARK, "shirt": SAND, "shorts": (70, 90, 120), "number": True}
RUNNER_D = {"skin": SKIN_LIGHT, "hair": HAIR_DARK, "shirt": ORANGE, "shorts": NAVY, "ponytail": True,
            "number": True}
GYM_A = {"skin": SKIN_MID, "hair": HAIR_DARK, "shirt": TEAL, "shorts": NAVY, "shoes": (235, 235, 240)}
GYM_B = {"skin": SKIN_LIGHT, "hair": HAIR_BROWN, "shirt": CORAL, "shorts": NAVY, "ponytail": True,
         "shoes": (235, 235, 240)}


def title_image1():
    """Top of the title screen, and the third-grade photograph: a runner on the track."""
    cv = Canvas(100, 75)
    sky(cv, 36)
    cloud(cv, 22, 12, 22)
    cloud(cv, 78, 8, 16)
    stands(cv, 20, 38, 46, 100)
    treeline(cv, 38, 9, 0, 47)
    cv.rect(0, 37, 100, 39, GRASS_DARK)
    track_lanes(cv, 39, 75, lanes=4)
    # Finish line across the lanes.
    cv.poly([(80, 39), (82, 39), (86, 75), (84, 75)], WHITE)
    figure(cv, 44, 66.5, 50, RUN, RUNNER_A)
    return cv.result()


def title_image2():
    """Bottom of the title screen: push-ups in the gym."""
    cv = Canvas(140, 95)
    cv.vgradient(0, 0, 140, 60, (238, 228, 208), (226, 214, 190))
    # Wall bars and a high window.
    cv.rect(0, 52, 140, 60, (204, 190, 164))
    for k in range(6):
        x = 92 + k * 8
        cv.rect(x, 8, x + 2.2, 56, (196, 150, 100))
    for k in range(7):
        y = 12 + k * 6.5
        cv.rect(92, y, 134.2, y + 1.6, (214, 170, 120))
    cv.rounded(10, 8, 70, 30, 2, (200, 226, 232))
    cv.rect(39, 8, 41, 30, (238, 228, 208))
    cv.rect(10, 18, 70, 19.5, (238, 228, 208))
    # Wooden floor with boards.
    cv.vgradient(0, 60, 140, 95, (214, 164, 110), (196, 144, 92))
    for y in (66, 74, 84):
        cv.rect(0, y, 140, y + 0.6, (186, 136, 86))
    # Mats.
    cv.poly([(92, 61), (134, 61), (137, 67), (90, 67)], CORAL)
    cv.poly([(90, 67), (137, 67), (137, 68.4), (90, 68.4)], shade(CORAL, 0.75))
    cv.poly([(6, 76), (90, 76), (95, 88), (1, 88)], TEAL)
    cv.poly([(1, 88), (95, 88), (95, 90.5), (1, 90.5)], shade(TEAL, 0.75))
    whistle(cv, 80, 22, 13)
    figure(cv, 119, 65.8, 37, PUSH_DOWN, GYM_B, shadow=False)
    figure(cv, 44, 84.5, 62, PUSH_UP, GYM_A, shadow=False)
    return cv.result()


def title_image3():
    """Left of the title screen, tall: a runner on the track against the sky."""
    cv = Canvas(259, 401)
    sky(cv, 230, (132, 196, 222), (232, 244, 240))
    cv.circle(205, 70, 26, (250, 226, 160))
    cv.circle(205, 70, 20, (252, 236, 186))
    cloud(cv, 62, 60, 70)
    cloud(cv, 180, 128, 48)
    stands(cv, 150, 214, 0, 259)
    treeline(cv, 150, 16, 0, 259, phase=0.3)
    stands(cv, 150, 214, 70, 259)
    cv.rect(0, 212, 259, 222, GRASS)
    cv.rect(0, 220, 259, 223, GRASS_DARK)
    track_lanes(cv, 222, 401, lanes=5)
    # Lane number blocks at the start line.
    cv.rect(24, 222, 27, 401, WHITE)
    figure(cv, 138, 372, 300, RUN, RUNNER_A)
    return cv.result()


def title_image4():
    """Right of the title screen, and the first-grade photograph: a group running the 600 m."""
    cv = Canvas(250, 311)
    sky(cv, 150, (140, 200, 224), (228, 242, 240))
    cloud(cv, 190, 40, 60)
    cloud(cv, 50, 70, 44)
    # School building behind the field.
    cv.rect(18, 92, 150, 150, (236, 222, 196))
    cv.rect(18, 88, 150, 96, (196, 110, 84))
    for col in range(6):
        for row in range(2):
            wx, wy = 26 + col * 21, 102 + row * 22
            cv.rect(wx, wy, wx + 12, wy + 12, (150, 196, 214))
            cv.rect(wx, wy + 10, wx + 12, wy + 12, (120, 170, 190))
    cv.rect(150, 60, 152, 150, (120, 120, 130))
    cv.poly([(152, 62), (176, 66), (152, 72)], CORAL)
    treeline(cv, 150, 14, 150, 250, phase=0.5)
    treeline(cv, 150, 10, 0, 20)
    cv.rect(0, 148, 250, 160, GRASS)
    cv.rect(0, 158, 250, 161, GRASS_DARK)
    track_lanes(cv, 160, 311, lanes=5, growth=1.3)
    figure(cv, 62, 205, 78, RUN_C, RUNNER_C)
    figure(cv, 178, 224, 96, RUN_B, RUNNER_D)
    figure(cv, 92, 258, 120, RUN, RUNNER_B)
    figure(cv, 190, 302, 140, RUN_B, RUNNER_A)
    return cv.result()


def grade2_photo():
    """Second-grade photograph, tall: squats timed with the stopwatch."""
    cv = Canvas(200, 343)
    cv.vgradient(0, 0, 200, 250, (246, 236, 214), (232, 218, 192))
    cv.rect(0, 156, 200, 162, shade(TEAL, 1.0))
    cv.rect(0, 162, 200, 166, shade(TEAL, 0.8))
    cv.rect(0, 238, 200, 250, (214, 196, 168))
    cv.vgradient(0, 250, 200, 343, (214, 164, 110), (192, 140, 90))
    for y in (262, 282, 310):
        cv.rect(0, y, 200, y + 0.8, (184, 134, 84))
    cv.poly([(16, 300), (186, 300), (196, 326), (6, 326)], CORAL)
    cv.rect(6, 326, 196, 330, shade(CORAL, 0.72))
    stopwatch(cv, 100, 74, 36, ring=TEAL, seconds=20)
    cv.text(100, 124, "20 s", 17, NAVY, anchor="mt")
    figure(cv, 64, 313, 205, SQUAT, GYM_B)
    return cv.result()


def worksheet_badge():
    """Small picture at the top right of the worksheets: a stopwatch and the subject's name."""
    cv = Canvas(140, 47, NAVY)
    cv.vgradient(0, 0, 140, 47, shade(TEAL, 0.92), shade(TEAL, 0.72))
    cv.rect(0, 41, 140, 47, SAND)
    cv.circle(23, 22, 19, shade(TEAL, 1.2))
    stopwatch(cv, 23, 24, 12.5, ring=CORAL, seconds=10, ticks=4)
    cv.text(88.5, 5.5, "EDUCACIÓN", 14.2, WHITE, anchor="ma")
    cv.text(88.5, 22, "FÍSICA", 14.2, SAND, anchor="ma")
    return cv.result()


def menu_image1():
    """Small banner of the grade menu: SECUNDARIA with a runner."""
    cv = Canvas(140, 40)
    cv.vgradient(0, 0, 140, 40, shade(NAVY, 1.1), NAVY)
    cv.poly([(0, 0), (38, 0), (30, 40), (0, 40)], TEAL)
    cv.poly([(38, 0), (42, 0), (34, 40), (30, 40)], SAND)
    pictogram_centred(cv, 19, 20, 36, ICON_RUN, WHITE)
    cv.text(88, 13, "SECUNDARIA", 13, WHITE, anchor="ma")
    cv.rect(48, 31, 128, 32.2, SAND)
    return cv.result()


def menu_image2():
    """Picture of the grade menu: the school's sports field with its track."""
    cv = Canvas(150, 125)
    sky(cv, 52, (140, 200, 224), (226, 242, 240))
    cloud(cv, 118, 16, 30)
    # School building.
    cv.rect(10, 22, 92, 50, (236, 222, 196))
    cv.rect(8, 19, 94, 24, (196, 110, 84))
    cv.rect(44, 12, 58, 24, (226, 210, 182))
    cv.poly([(42, 13), (51, 6), (60, 13)], (196, 110, 84))
    cv.circle(51, 17, 2.6, WHITE)
    for col in range(6):
        wx = 14 + col * 13
        if 42 < wx < 58:
            continue
        cv.rect(wx, 28, wx + 8, 35, (150, 196, 214))
        cv.rect(wx, 39, wx + 8, 46, (150, 196, 214))
    cv.rect(47, 38, 55, 50, (120, 100, 90))
    cv.rect(100, 10, 101.2, 50, (120, 120, 130))
    cv.poly([(101.2, 11), (116, 14), (101.2, 18)], CORAL)
    treeline(cv, 50, 8, 104, 150)
    cv.rect(0, 50, 150, 125, GRASS)
    cv.rect(0, 50, 150, 52, GRASS_DARK)
    # Oval track in perspective.
    cv.ellipse(75, 90, 70, 30, TRACK)
    for r in (0.0, 4.5, 9.0):
        cv.ellipse(75, 90, 70 - r * 1.6, 30 - r, None, WHITE, 0.55)
    cv.ellipse(75, 90, 55, 19, GRASS_DARK)
    cv.ellipse(75, 90, 53, 18, GRASS)
    # Goal and halfway line of the pitch inside the track.
    cv.rect(74.5, 73, 75.5, 107, WHITE)
    cv.ellipse(75, 90, 7, 3.4, None, WHITE, 0.55)
    cv.rect(28, 84, 29, 96, WHITE)
    cv.rect(121, 84, 122, 96, WHITE)
    figure(cv, 42, 114, 20, RUN, RUNNER_C, shadow=False)
    figure(cv, 60, 117.5, 21, RUN_B, RUNNER_B, shadow=False)
    figure(cv, 118, 72, 14, RUN, {**RUNNER_A, "shirt": WHITE}, facing=-1, shadow=False)
    return cv.result()


# Icons --------------------------------------------------------------------------------------------

def emblem(size):
    """The program's emblem: a white runner in a coral disc with a sand ring."""
    cv = Canvas(size, size, (0, 0, 0))
    cv.image = Image.new("RGBA", cv.image.size, (0, 0, 0, 0))
    cv.draw = ImageDraw.Draw(cv.image)
    c = size / 2
    small = size <= 16
    cv.circle(c, c, size * 0.49, SAND)
    cv.circle(c, c, size * (0.43 if not small else 0.44), CORAL)
    if size >= 48:
        cv.pieslice(c, c, size * 0.43, 200, 340, shade(CORAL, 1.08) + (255,))
        cv.circle(c, c + size * 0.03, size * 0.39, CORAL)
    thick = 1.3 if small else (1.12 if size <= 32 else 1.0)
    pictogram_centred(cv, c, c, size * (0.66 if small else 0.62), ICON_RUN, WHITE, thick=thick)
    return cv.result("RGBA")


def access_emblem(size):
    """The access screen's emblem: a padlock in a teal disc, in the style of the program's emblem."""
    cv = Canvas(size, size, (0, 0, 0))
    cv.image = Image.new("RGBA", cv.image.size, (0, 0, 0, 0))
    cv.draw = ImageDraw.Draw(cv.image)
    c = size / 2
    cv.circle(c, c, size * 0.49, SAND)
    cv.circle(c, c, size * 0.43, TEAL)
    cv.arc(c, c - size * 0.06, size * 0.15, 180, 360, WHITE, size * 0.085)
    cv.rect(c - size * 0.19, c - size * 0.06, c - size * 0.105, c + size * 0.02, WHITE)
    cv.rect(c + size * 0.105, c - size * 0.06, c + size * 0.19, c + size * 0.02, WHITE)
    cv.rounded(c - size * 0.25, c - size * 0.03, c + size * 0.25, c + size * 0.29, size * 0.05, SAND)
    cv.circle(c, c + size * 0.1, size * 0.06, NAVY)
    cv.poly([(c - size * 0.03, c + size * 0.12), (c + size * 0.03, c + size * 0.12),
             (c + size * 0.045, c + size * 0.22), (c - size * 0.045, c + size * 0.22)], NAVY)
    return cv.result("RGBA")


def document_icon():
    """48 x 48 icon of a word-processor document: a page with a folded corner, a blue band, lines."""
    size = 48
    cv = Canvas(size, size, (0, 0, 0))
    cv.image = Image.new("RGBA", cv.image.size, (0, 0, 0, 0))
    cv.draw = ImageDraw.Draw(cv.image)
    sh = cv.overlay()
    sh.poly([(10, 4), (32, 4), (41, 13), (41, 46), (10, 46)], (0, 0, 0, 50))
    cv.composite(sh)
    page = [(8, 2), (30, 2), (39, 11), (39, 44), (8, 44)]
    cv.poly(page, (150, 160, 176))
    cv.poly([(9, 3), (29.6, 3), (38, 11.4), (38, 43), (9, 43)], WHITE)
    cv.poly([(29.6, 3), (38, 11.4), (29.6, 11.4)], (214, 222, 232))
    cv.poly([(30, 2.5), (30, 11), (38.6, 11), (38.6, 12), (29, 12), (29, 2.5)], (150, 160, 176))
    # A blue band across the page, with two white bars standing for a heading, then lines of text.
    cv.rect(3, 15, 31, 27, (43, 87, 154))
    cv.rect(3, 26, 31, 27.5, (30, 64, 120))
    for k, w in enumerate((20, 14)):
        cv.rect(7, 18 + k * 4.5, 7 + w, 19.8 + k * 4.5, WHITE)
    for k, w in enumerate((24, 26, 21, 25, 16)):
        y = 30 + k * 2.7
        if y > 41:
            break
        cv.rect(12, y, 12 + w * (24 / 26), y + 1.1, (150, 164, 184))
    return cv.result("RGBA")


def write_ico(path, images):
    """An ICO file with one 32-bit BMP image (with its AND mask) per given RGBA image."""
    entries, blobs = [], []
    for im in images:
        w, h = im.size
        px = im.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        row_bytes = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(row_bytes)
            for x in range(w):
                if px[x, y][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(header + bytes(xor) + bytes(mask))
        entries.append((w, h))
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for (w, h), blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    path.write_bytes(bytes(out))


def save_jpeg(image, path):
    image.save(path, "JPEG", quality=90, optimize=True, subsampling=0)


def save_gif(image, path, colours=64):
    quantised = image.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    quantised.save(path, "GIF", optimize=True)


def main():
    PICTURES.mkdir(parents=True, exist_ok=True)
    ICONS.mkdir(parents=True, exist_ok=True)
    save_jpeg(title_image1(), PICTURES / "title_image1.jpg")
    save_jpeg(title_image2(), PICTURES / "title_image2.jpg")
    save_jpeg(title_image3(), PICTURES / "title_image3.jpg")
    save_jpeg(title_image4(), PICTURES / "title_image4.jpg")
    save_jpeg(grade2_photo(), PICTURES / "grade2_photo.jpg")
    save_gif(worksheet_badge(), PICTURES / "worksheet_badge.gif")
    save_gif(menu_image1(), PICTURES / "menu_image1.gif")
    save_gif(menu_image2(), PICTURES / "menu_image2.gif", colours=96)
    write_ico(ICONS / "merlox2.ico", [emblem(16), emblem(32)])
    write_ico(ICONS / "access.ico", [access_emblem(32)])
    emblem(256).save(ICONS / "merlox2.png", "PNG", optimize=True)
    document_icon().save(ICONS / "document.png", "PNG", optimize=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
