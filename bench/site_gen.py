#!/usr/bin/env python3
"""Writes a generated site for the site-check benchmark and tests.

    bench/site_gen.py DIR [PAGES] [BROKEN]

DIR/index.html and DIR/p/N.html (N = 1 .. PAGES-1) each link to 20 other pages, show 3 images
and use one stylesheet; every page is reachable from the index. BROKEN addresses (default 60)
that do not exist are planted, each on a few pages. DIR/broken.txt lists them, one absolute
path per line, sorted; DIR/robots.txt allows everything.
"""
import os
import random
import sys

def main():
    root = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 1001
    broken = int(sys.argv[3]) if len(sys.argv) > 3 else 60
    rng = random.Random(7)
    os.makedirs(os.path.join(root, "p"), exist_ok=True)
    os.makedirs(os.path.join(root, "img"), exist_ok=True)
    os.makedirs(os.path.join(root, "css"), exist_ok=True)
    images = 50
    for i in range(images):
        with open(os.path.join(root, "img", "%d.png" % i), "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + bytes([i % 256]) * 200)
    for i in range(5):
        with open(os.path.join(root, "css", "%d.css" % i), "w") as f:
            f.write("body { margin: %dpx }\n" % i)
    with open(os.path.join(root, "robots.txt"), "w") as f:
        f.write("User-agent: *\nDisallow:\n")
    names = ["/index.html"] + ["/p/%d.html" % n for n in range(1, pages)]
    planted = ["/missing/%d.html" % n if n % 3 else "/img/missing-%d.png" % n
               for n in range(broken)]
    # Each broken address on 1 to 3 pages other than the index.
    holders = {}
    for address in planted:
        for _ in range(rng.randint(1, 3)):
            holders.setdefault(rng.randrange(1, pages), []).append(address)
    for n, name in enumerate(names):
        # A chain through every page keeps them all reachable; the rest of the links are random.
        links = [names[(n + 1) % pages]] + [rng.choice(names) for _ in range(19)]
        body = ["<!DOCTYPE html>", "<html><head><title>Page %d</title>" % n,
                '<link rel="stylesheet" href="/css/%d.css">' % (n % 5), "</head><body>",
                "<h1>Page %d</h1>" % n]
        for k, link in enumerate(links):
            body.append('<p>Item %d of page %d: <a href="%s">link %d</a></p>' % (k, n, link, k))
        for k in range(3):
            body.append('<img src="/img/%d.png" alt="picture %d">' % ((n + k) % images, k))
        for address in holders.get(n, []):
            if address.endswith(".png"):
                body.append('<img src="%s" alt="gone">' % address)
            else:
                body.append('<p><a href="%s">gone</a></p>' % address)
        body.append("</body></html>")
        path = os.path.join(root, name.lstrip("/"))
        with open(path, "w") as f:
            f.write("\n".join(body) + "\n")
    used = sorted({a for found in holders.values() for a in found})
    with open(os.path.join(root, "broken.txt"), "w") as f:
        f.write("".join(a + "\n" for a in used))

main()
