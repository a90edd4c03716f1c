#!/usr/bin/env python3
"""Checks launcher.exe as a file: what Windows sees before it runs a byte.

    check_exe.py LAUNCHER_EXE ICON_FILE MANIFEST_FILE VERSION
"""
import re
import shutil
import struct
import subprocess
import sys

try:
    import pefile
except ImportError:
    sys.exit("this Python has no pefile module: run scripts/setup.sh")

SIZE_GUARD = 16 * 1024  # above this, a runtime has crept in
ALLOWED_DLLS = {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL"}
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
# Windows takes a 32-bit program without requestedExecutionLevel for an
# installer, and asks for administrator rights, when a version string holds
# one of these.
INSTALLER_WORDS = ("instal", "setup", "update", "patch")

# Instructions the Pentium lacks (the Pentium Pro's and later, MMX and SSE
# on), which processors that run Windows XP may lack too: found in the
# disassembly by mnemonic, or by a register of MMX or SSE among the operands.
LATER_MNEMONICS = re.compile(r"f?cmov\w*|f?u?comip?|rdpmc|sysenter|sysexit|fxsave|fxrstor|emms|"
                             r"femms|[lsm]fence|prefetch\w*|movnt\w*|clflush|ldmxcsr|stmxcsr")
LATER_REGISTERS = re.compile(r"%[xyz]?mm\d")

# Functions that Windows XP SP3's system DLLs export: those the launcher
# imports, each of which Microsoft's documentation gives as supported from
# Windows XP or earlier. A new import needs that look-up before it is added.
XP_EXPORTS = {
    "KERNEL32.DLL": """CloseHandle CreateProcessA ExitProcess ExpandEnvironmentStringsA
        FormatMessageA GetACP GetCommandLineA GetCommandLineW GetCurrentDirectoryW
        GetCurrentProcessId GetCurrentThreadId GetExitCodeProcess GetFileAttributesA GetLastError
        GetModuleHandleA GetProcAddress GetShortPathNameW GetSystemDirectoryA
        GetSystemWindowsDirectoryA GetTickCount IsDBCSLeadByte LoadLibraryA LoadLibraryExA
        ProcessIdToSessionId SetEnvironmentVariableA Sleep WaitForSingleObject
        WideCharToMultiByte""".split(),
    "USER32.DLL": """CallNextHookEx FindWindowA GetProcessWindowStation GetUserObjectInformationA
        MessageBoxA SetWindowsHookExA ShowWindow ShowWindowAsync UnhookWindowsHookEx""".split(),
    "ADVAPI32.DLL": "RegCloseKey RegOpenKeyExA RegQueryValueExA".split(),
}

failures = []


def check(condition, message):
    print(("ok    " if condition else "FAIL  ") + message)
    if not condition:
        failures.append(message)


def resources(pe, type_id):
    """{name or id: data} of one resource type (first language of each)."""
    out = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return out
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != type_id:
            continue
        for name in entry.directory.entries:
            lang = name.directory.entries[0]
            out[name.id] = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
    return out


def check_xp_imports(pe):
    """Each imported function is one that XP's DLL of that name exports."""
    beyond = []
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        dll = entry.dll.decode()
        names = [imp.name.decode() if imp.name else f"#{imp.ordinal}" for imp in entry.imports]
        print(f"      {dll}: {', '.join(names)}")
        beyond += [f"{dll}!{n}" for n in names if n not in XP_EXPORTS.get(dll.upper(), [])]
    check(not beyond, "every imported function is one that XP SP3 exports"
          + (": not " + ", ".join(beyond) if beyond else ""))


def main():
    exe, icon_file, manifest_file, version = sys.argv[1:5]
    data = open(exe, "rb").read()
    pe = pefile.PE(data=data)
    oh = pe.OPTIONAL_HEADER

    check(oh.Magic == 0x10B, "PE32 (32-bit optional header)")
    check(pe.FILE_HEADER.Machine == 0x14C, "machine i386")
    check(oh.Subsystem == 2, "GUI subsystem")
    check((oh.MajorSubsystemVersion, oh.MinorSubsystemVersion) <= (5, 1),
          f"subsystem version {oh.MajorSubsystemVersion}.{oh.MinorSubsystemVersion} <= 5.1")
    check((oh.MajorOperatingSystemVersion, oh.MinorOperatingSystemVersion) <= (5, 1),
          f"OS version {oh.MajorOperatingSystemVersion}.{oh.MinorOperatingSystemVersion} <= 5.1")
    check(pe.FILE_HEADER.TimeDateStamp == 0, "no build time in the header")
    # Randomised base (with the relocations it needs), no executable data,
    # and Terminal-Server-aware: Windows then hands it the system's own
    # Windows folder, never a per-user one.
    flags = {"DYNAMIC_BASE": 0x40, "NX_COMPAT": 0x100, "TERMINAL_SERVER_AWARE": 0x8000}
    check(all(oh.DllCharacteristics & bit for bit in flags.values())
          and oh.DATA_DIRECTORY[5].Size > 0,
          f"DllCharacteristics {oh.DllCharacteristics:#06x}: " + ", ".join(flags) + ", relocations")

    dlls = {entry.dll.decode().upper() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    check(dlls == ALLOWED_DLLS, "imports " + ", ".join(sorted(dlls)))
    check_xp_imports(pe)

    # A signature is no code: the guard counts the file without it.
    signature = oh.DATA_DIRECTORY[4].Size
    check(len(data) - signature <= SIZE_GUARD,
          f"size {len(data) - signature} bytes <= {SIZE_GUARD}"
          + (f", and a signature of {signature} bytes" if signature else ""))

    objdump = shutil.which("i686-w64-mingw32-objdump")
    listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", exe], capture_output=True,
                             text=True, check=True).stdout if objdump else ""
    instructions = [line.split("\t", 1)[1].split(None, 1) for line in listing.splitlines()
                    if re.match(r"\s+[0-9a-f]+:\t\S", line)]
    later = [" ".join(i) for i in instructions
             if LATER_MNEMONICS.fullmatch(i[0]) or LATER_REGISTERS.search(" ".join(i))]
    check(instructions and not later,
          f"{len(instructions)} instructions, none beyond the Pentium's (no cmov, MMX or SSE)"
          + (": " + ", ".join(sorted(set(later))) if later else ""))

    # Icon group 101 and its two images, as the committed icon file has them.
    groups = resources(pe, RT_GROUP_ICON)
    check(list(groups) == [101], f"icon groups {list(groups)} == [101]")
    images = resources(pe, RT_ICON)
    shapes = []
    if 101 in groups:
        group = groups[101]
        _, _, count = struct.unpack_from("<HHH", group)
        for i in range(count):
            w, h, _, _, _, bpp, size, image_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            shapes.append((w, h, bpp))
            check(images.get(image_id, b"")[:4] == struct.pack("<I", 40) and len(images[image_id]) == size,
                  f"image {image_id} ({w}x{h}, {bpp}-bit) is a bitmap of {size} bytes")
    check(shapes == [(32, 32, 24), (16, 16, 32)], f"icon images {shapes}")
    icon = open(icon_file, "rb").read()
    _, _, count = struct.unpack_from("<HHH", icon)
    expected = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", icon, 6 + 16 * i + 8)
        expected.append(icon[offset:offset + size])
    check(sorted(images.values()) == sorted(expected), "icon images are the committed icon's")

    manifests = resources(pe, RT_MANIFEST)
    check(list(manifests) == [1], f"manifest resources {list(manifests)} == [1]")
    text = manifests.get(1, b"")
    check(text == open(manifest_file, "rb").read(), "manifest is the committed one")
    check(b'manifestVersion="1.0"' in text and text.rstrip().endswith(b"/>")
          and text.count(b"<assembly") == 1 and text.count(b"<") == 2,
          "manifest: one empty assembly element, version 1.0")

    # The version resource: one version in the fixed part and the strings,
    # and no string that makes Windows ask for administrator rights.
    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    numbers = tuple(int(n) for n in version.split(".")) + (0,)
    packed = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    check(fixed is not None and (fixed.FileVersionMS, fixed.FileVersionLS) == packed
          and (fixed.ProductVersionMS, fixed.ProductVersionLS) == packed,
          f"fixed file and product version {version}")
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for name, value in sorted(strings.items()):
        print(f"      {name}: {value}")
    check(strings.get("FileVersion") == version and strings.get("ProductVersion") == version,
          f"version strings {version}")
    check(strings.get("OriginalFilename") == "launcher.exe", "OriginalFilename launcher.exe")
    check(all(strings.get(k) for k in ("InternalName", "FileDescription", "ProductName")),
          "InternalName, FileDescription and ProductName given")
    check(all(v for v in strings.values()), "no empty string")
    check(not [v for v in strings.values() for w in INSTALLER_WORDS if w in v.lower()],
          "no version string looks like an installer's: " + ", ".join(INSTALLER_WORDS))

    print(f"{len(failures)} failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
