# # Finds the image's top rows inside a screenshot, pixel for pixel: prints "x y" or "none".
import subprocess, sys
def rgb(path, crop=None):
    args = ["convert", path] + (["-crop", crop, "+repage"] if crop else []) + ["-depth", "8", "rgb:-"]
    data = subprocess.run(args, capture_output=True, check=True).stdout
    w, h = map(int, subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True).stdout.split())
    return data, w, h
shot, sw, sh = rgb(sys.argv[1])
image, iw, ih = rgb(sys.argv[2])
rows = min(ih, int(sys.argv[3]) if len(sys.argv) > 3 else ih)
first = image[:iw * 3]
for y in range(sh - rows + 1):
    line = shot[y * sw * 3:(y + 1) * sw * 3]
    x = line.find(first)
    while x >= 0:
        if x % 3 == 0 and all(shot[(y + r) * sw * 3 + x:(y + r) * sw * 3 + x + iw * 3] == image[r * iw * 3:(r + 1) * iw * 3] for r in range(rows)):
            print(x // 3, y); sys.exit(0)
        x = line.find(first, x + 1)
print("none"); sys.exit(1)
