#!/usr/bin/env python3
"""Writes out the NSIS script that a Markdown guide shows (its one ```nsis
block), so that the installer is built from the very text authors read.

    extract_nsis.py GUIDE.md OUT.nsi
"""
import re
import sys

guide, out = sys.argv[1:3]
blocks = re.findall(r"^```nsis\n(.*?)^```$", open(guide, encoding="utf-8").read(), re.M | re.S)
if len(blocks) != 1:
    sys.exit(f"{guide}: {len(blocks)} nsis blocks, not one")
open(out, "w", encoding="utf-8").write(blocks[0])
