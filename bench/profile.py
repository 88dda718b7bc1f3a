#!/usr/bin/env python3
"""Names the samples a benchmark's TSampler wrote (ZOR_PROFILE=FILE) by the modules' symbols and prints, per
label, the functions that hold the most samples: inclusive (on the stack) and self (innermost).

usage: bench/profile.py FILE [--top N] [--label TEXT] [--below FUNCTION]
--below keeps only the samples with FUNCTION on their stack, and counts inclusive time beneath it."""
import argparse
import bisect
import collections
import os
import re
import subprocess

WINE_DLLS = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"


def unix_path(windows_path, exe_dir):
    name = windows_path.replace("\\", "/")
    if re.match(r"^[Zz]:/", name):
        return name[2:]
    base = os.path.basename(name).lower()
    for folder in (WINE_DLLS, exe_dir):
        candidate = os.path.join(folder, base)
        if os.path.exists(candidate):
            return candidate
    return None


class Symbols:
    def __init__(self, path):
        self.starts, self.names = [], []
        if not path:
            return
        image_base = 0
        for line in subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True,
                                   text=True).stdout.splitlines():
            if line.startswith("ImageBase"):
                image_base = int(line.split()[1], 16)
                break
        out = subprocess.run(["x86_64-w64-mingw32-nm", "-C", "--defined-only", path], capture_output=True,
                             text=True).stdout
        entries = []
        for line in out.splitlines():
            parts = line.split(" ", 2)
            if len(parts) == 3 and parts[1] in "tT" and not parts[2].startswith("."):
                entries.append((int(parts[0], 16) - image_base, parts[2]))
        entries.sort()
        self.starts = [e[0] for e in entries]
        self.names = [e[1] for e in entries]

    def name(self, rva):
        i = bisect.bisect_right(self.starts, rva) - 1
        return self.names[i] if i >= 0 else "?"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--top", type=int, default=40)
    parser.add_argument("--label")
    parser.add_argument("--below")
    args = parser.parse_args()
    exe_dir = os.path.dirname(os.path.abspath(args.file))
    symbols = {}
    by_label = collections.OrderedDict()
    label = "?"
    with open(args.file, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("#label "):
                label = line[7:]
                by_label.setdefault(label, [])
                continue
            if args.label and args.label not in label:
                continue
            frames = []
            for frame in line.split(";"):
                module, _, offset = frame.rpartition("+")
                if module not in symbols:
                    symbols[module] = Symbols(unix_path(module, exe_dir))
                short = os.path.basename(module.replace("\\", "/"))
                frames.append(f"{symbols[module].name(int(offset, 16))} [{short}]")
            by_label.setdefault(label, []).append(frames)
    for label, samples in by_label.items():
        if args.below:
            kept = []
            for frames in samples:
                at = next((i for i, f in enumerate(frames) if args.below in f), None)
                if at is not None:
                    kept.append(frames[: at + 1])
            samples = kept
        total = len(samples)
        if not total:
            continue
        inclusive, own = collections.Counter(), collections.Counter()
        for frames in samples:
            own[frames[0]] += 1
            for name in set(frames):
                inclusive[name] += 1
        print(f"== {label}: {total} samples" + (f" below {args.below}" if args.below else ""))
        print("-- inclusive")
        for name, count in inclusive.most_common(args.top):
            print(f"{100.0 * count / total:6.1f}%  {name}")
        print("-- self")
        for name, count in own.most_common(args.top // 2):
            print(f"{100.0 * count / total:6.1f}%  {name}")


if __name__ == "__main__":
    main()
