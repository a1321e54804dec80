"""Shared by the generators: write their files, or check that the committed ones match.

  generator.py [OUTDIR_ROOT]   writes every file under OUTDIR_ROOT (default: the repository)
  generator.py --check         exits 1 when a committed file differs from what the generator makes
"""
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def write_or_check(argv, usage, outputs, script):
    """outputs: (relative path, function returning the file's bytes) pairs."""
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    if len(args) > 1 or any(a.startswith("-") for a in args):
        print(usage, file=sys.stderr)
        return 2
    root = args[0] if args else REPO
    differ = []
    for path, make in outputs:
        data = make()
        full = os.path.join(root, path)
        if check:
            try:
                with open(full, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                differ.append(path)
            continue
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
    if differ:
        print("differs from the generator: " + ", ".join(differ), file=sys.stderr)
        print("run: python3 tools/" + script, file=sys.stderr)
        return 1
    return 0
