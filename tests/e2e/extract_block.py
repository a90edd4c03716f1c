#!/usr/bin/env python3
"""Writes out a file that a Markdown guide shows (its one ```LANG block), so
that an installer is built from the very text authors read.

    extract_block.py GUIDE.md LANG OUT
"""
import re
import sys

guide, lang, out = sys.argv[1:4]
blocks = re.findall(rf"^```{re.escape(lang)}\n(.*?)^```$", open(guide, encoding="utf-8").read(),
                    re.M | re.S)
if len(blocks) != 1:
    sys.exit(f"{guide}: {len(blocks)} {lang} blocks, not one")
open(out, "w", encoding="utf-8", newline="").write(blocks[0])
