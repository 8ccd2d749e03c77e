#!/usr/bin/env python3
"""Draws the sales-letter wizard's pictures with ImageMagick's convert.

The banner (747 x 152 PNG) and one thumbnail per page template (175 x 140
JPEG), each sketching where its template puts the header graphic, headlines,
e-cover and lists.  Usage: make_art.py [output folder]
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "resources", "salesletter")

NAVY, SKY, GOLD, BROWN = "#1d3f6e", "#4f86c6", "#f2b632", "#c9871a"
GREY, GREEN, RED = "#8c8c8c", "#27ae60", "#c0392b"


def rect(color, x0, y0, x1, y1):
    return ["-fill", color, "-draw", f"rectangle {x0},{y0} {x1},{y1}"]


def lines(x, y, width, count, step=5):
    out = []
    for i in range(count):
        out += rect(GREY, x, y + i * step, x + width, y + i * step + 1)
    return out


def bullets(x, y, count, width, step=9):
    out = []
    for i in range(count):
        yy = y + i * step
        out += ["-fill", GREEN, "-draw", f"circle {x},{yy} {x + 2},{yy}"]
        out += rect(GREY, x + 8, yy - 1, x + 8 + width - (i % 2) * 10, yy + 1)
    return out


def ecover(x0, y0, x1, y1):
    return rect(GOLD, x0, y0, x1, y1) + rect(BROWN, x0, y0, x0 + 6, y1)


def page():
    return ["-size", "175x140", "xc:#ffffff", "-stroke", "#9a9a9a", "-fill", "none",
            "-draw", "rectangle 0,0 174,139", "-stroke", "none"] + rect("#b7c4d4", 20, 6, 154, 22)


def convert(args, name, quality=None):
    extra = ["-quality", str(quality)] if quality else ["-depth", "8"]
    subprocess.run(["convert", *args, *extra, "-strip", os.path.join(OUT, name)], check=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    convert(["-size", "747x152", f"gradient:{NAVY}-{SKY}",
             "-fill", "#ffffff", "-draw", "roundrectangle 24,26 112,126 10,10",
             *rect(NAVY, 38, 40, 98, 48), *rect(NAVY, 38, 56, 90, 59), *rect(NAVY, 38, 65, 96, 68),
             *rect(NAVY, 38, 74, 86, 77), *rect(NAVY, 38, 83, 94, 86), *rect(GOLD, 38, 100, 98, 112),
             "-fill", "#ffffff", "-pointsize", "34", "-annotate", "+136+72", "Sales Letter Wizard",
             "-fill", "#dce8f6", "-pointsize", "15", "-annotate", "+138+102",
             "Fill in the pages, save your project and finish a ready-to-upload sales page.",
             *rect(GOLD, 136, 116, 420, 119)], "banner.png", None)

    # Template 1: headlines on top, e-cover beside the introduction headline.
    convert([*page(), *rect(RED, 40, 27, 134, 31), *rect(NAVY, 22, 36, 152, 41),
             *rect(NAVY, 40, 44, 134, 47), *lines(16, 53, 142, 4), *ecover(18, 76, 50, 112),
             *rect(NAVY, 58, 78, 156, 83), *lines(58, 89, 98, 5), *lines(16, 118, 142, 4)],
            "template1.jpg", 88)
    # Template 2: e-cover beside the main headline at the top, benefits right after.
    convert([*page(), *ecover(18, 28, 52, 66), *rect(NAVY, 60, 30, 156, 36),
             *rect(NAVY, 60, 40, 150, 45), *lines(60, 51, 96, 3), *bullets(22, 76, 3, 110),
             *lines(16, 102, 142, 7)], "template2.jpg", 88)
    # Template 3: after the subheadline a boxed benefits list beside the e-cover.
    convert([*page(), *rect(NAVY, 22, 28, 152, 33), *rect(NAVY, 40, 37, 134, 40),
             "-fill", "#fff6d5", "-stroke", "#c9a227", "-draw", "rectangle 16,46 110,92",
             "-stroke", "none", *rect(NAVY, 22, 51, 90, 54), *bullets(24, 62, 3, 70),
             *ecover(120, 48, 156, 90), *lines(16, 100, 142, 7)], "template3.jpg", 88)


if __name__ == "__main__":
    main()
