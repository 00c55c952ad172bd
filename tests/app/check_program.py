#!/usr/bin/env python3
"""Reads a built Kovra.exe as Windows would and checks what it carries: machine and
subsystem, imported DLLs, dialog template 102 byte for byte, icon 128 and the version block.

    check_program.py PROGRAM i686|x86_64

Prints every difference and exits 1 when there is one. Needs Debian's python3-pefile.
"""
import struct
import sys

import pefile

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION = 3, 5, 14, 16
LANGUAGE = 0x0404
BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
TRACKBAR = "msctls_trackbar32"

# Every DLL a build may import: Windows' own, nothing from the compiler or elsewhere.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll",
                "shell32.dll", "advapi32.dll", "msvcrt.dll", "ole32.dll"}

PUSH = 0x50010000          # visible child, tab stop, push button
GROUP_BOX = 0x50000007
CENTRED = 0x50020001       # static, group start
LEFT = 0x50020000
SUNKEN = 0x50021000
RADIO_FIRST = 0x50020009   # automatic radio button, group start, no tab stop
RADIO = 0x50000009
EDIT_STYLE = 0x50810080    # border, tab stop, automatic horizontal scroll
SLIDER = 0x50010014        # tab stop, horizontal, top, no tick marks

# (identifier, class, caption, x, y, width, height, style), in template order.
CONTROLS = [
    (2, BUTTON, "Close", 119, 401, 66, 20, PUSH),
    (-1, BUTTON, "Set Time", 7, 7, 323, 71, GROUP_BOX),
    (1000, BUTTON, "Set Current Time", 180, 55, 139, 16, PUSH),
    (-1, BUTTON, "Set Config", 7, 88, 323, 226, GROUP_BOX),
    (-1, STATIC, "Resolution setting for G-sensor trigger or manual trigger", 15, 101, 109, 19,
     CENTRED),
    (1001, BUTTON, "QVGA ", 138, 101, 76, 19, RADIO_FIRST),
    (1002, BUTTON, "VGA", 233, 101, 76, 19, RADIO),
    (-1, STATIC, "Frame rate setting for G-sensor trigger or manual trigger", 15, 124, 109, 19,
     CENTRED),
    (1005, BUTTON, "30FPS", 138, 124, 41, 19, RADIO_FIRST),
    (1006, BUTTON, "24FPS", 185, 124, 41, 19, RADIO),
    (1018, BUTTON, "15FPS", 232, 124, 41, 19, RADIO),
    (1019, BUTTON, "13.3FPS", 279, 124, 41, 19, RADIO),
    (-1, STATIC, "Resolution for recycle recording", 15, 148, 109, 19, CENTRED),
    (1003, BUTTON, "QVGA 6.375FPS", 138, 150, 76, 19, RADIO_FIRST),
    (1004, BUTTON, "VGA 6.375FPS", 233, 150, 76, 19, RADIO),
    (-1, STATIC, "G sensor sensitivity", 15, 170, 109, 19, CENTRED),
    (1015, TRACKBAR, "Slider1", 141, 171, 115, 9, SLIDER),
    (-1, STATIC, "0.1", 139, 181, 18, 8, LEFT),
    (-1, STATIC, "2.0", 246, 181, 15, 8, LEFT),
    (1017, STATIC, "", 266, 173, 22, 10, SUNKEN),
    (-1, STATIC, "Max recording files in GSENSOR direction", 23, 196, 141, 17, LEFT),
    (1011, EDIT, "", 171, 195, 70, 17, EDIT_STYLE),
    (-1, STATIC, "Max recording files in MANUAL direction", 23, 221, 141, 17, LEFT),
    (1012, EDIT, "", 171, 220, 70, 17, EDIT_STYLE),
    (-1, STATIC, "Max recording files in CYCLE direction", 23, 246, 141, 17, LEFT),
    (1013, EDIT, "", 171, 245, 70, 17, EDIT_STYLE),
    (-1, STATIC, "File overwritten", 15, 269, 109, 14, CENTRED),
    (1020, BUTTON, "Yes", 142, 264, 76, 19, RADIO_FIRST),
    (1021, BUTTON, "No", 237, 264, 76, 19, RADIO),
    (1010, BUTTON, "Set Config", 228, 290, 87, 21, PUSH),
    (-1, BUTTON, "AVI File", 7, 320, 323, 74, GROUP_BOX),
    (-1, STATIC, "File", 23, 341, 23, 14, LEFT),
    (1014, STATIC, "", 62, 341, 213, 14, SUNKEN),
    (1008, BUTTON, "...", 280, 341, 33, 14, PUSH),
    (1009, BUTTON, "Play", 228, 368, 87, 21, PUSH),
    (1022, EDIT, "", 23, 23, 41, 12, EDIT_STYLE),
    (-1, STATIC, "/", 65, 25, 8, 10, CENTRED),
    (1023, EDIT, "", 74, 23, 21, 12, EDIT_STYLE),
    (-1, STATIC, "/", 96, 25, 8, 10, CENTRED),
    (1024, EDIT, "", 105, 23, 21, 12, EDIT_STYLE),
    (1025, EDIT, "", 145, 23, 21, 12, EDIT_STYLE),
    (1026, EDIT, "", 176, 23, 21, 12, EDIT_STYLE),
    (1027, EDIT, "", 207, 23, 21, 12, EDIT_STYLE),
    (-1, STATIC, ":", 167, 25, 8, 10, CENTRED),
    (-1, STATIC, ":", 198, 25, 8, 10, CENTRED),
    (1007, BUTTON, "Set Time", 241, 23, 76, 16, PUSH),
]

VERSION_STRINGS = {
    "CompanyName": "", "FileDescription": "Kovra MFC Application", "FileVersion": "1, 0, 0, 1",
    "InternalName": "Kovra", "LegalTrademarks": "", "OriginalFilename": "Kovra.EXE",
    "ProductName": "Kovra Application", "ProductVersion": "1, 0, 0, 1",
}

problems = []


def expect(what, got, want):
    if got != want:
        problems.append(f"{what}: {got!r}, want {want!r}")


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self):
        self.at = (self.at + 3) & ~3

    def name_or_ordinal(self):
        if self.take("H") == 0xFFFF:
            return self.take("H")
        self.at -= 2
        end = self.at
        while struct.unpack_from("<H", self.data, end)[0]:
            end += 2
        text = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return text


def resources(pe):
    """{(type, name): [(language, bytes)]}"""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                entry = language.data.struct
                data = pe.get_data(entry.OffsetToData, entry.Size)
                found.setdefault((kind.id, name.id), []).append((language.id, data))
    return found


def only_in_language(found, key, what):
    entries = found.get(key, [])
    expect(f"{what} languages", [language for language, _ in entries], [LANGUAGE])
    return entries[0][1] if entries else None


def check_dialog(data):
    r = Reader(data)
    expect("dialog form (version, signature)", r.take("HH"), (1, 0xFFFF))
    _help, ex_style, style, count = r.take("IIIH")
    expect("dialog extended style", hex(ex_style), hex(0x00040000))
    expect("dialog style", hex(style), hex(0x90C800C0))
    expect("dialog size", r.take("hhhh")[2:], (337, 428))
    expect("dialog menu", r.name_or_ordinal(), "")
    expect("dialog class", r.name_or_ordinal(), "")
    expect("dialog caption", r.name_or_ordinal(), "Kovra")
    expect("dialog font (points, weight, italic, character set)", r.take("HHBB"), (9, 0, 0, 1))
    expect("dialog font face", r.name_or_ordinal(), "新細明體")
    expect("control count", count, len(CONTROLS))
    for number, want in enumerate(CONTROLS[:count], 1):
        r.align()
        _help, ex_style, style, x, y, cx, cy, ident = r.take("IIIhhhhi")
        window_class, caption = r.name_or_ordinal(), r.name_or_ordinal()
        creation_data = r.take("H")
        r.at += creation_data
        if isinstance(window_class, str):
            window_class = window_class.lower()
        got = (ident, window_class, caption, x, y, cx, cy, hex(style))
        expect(f"control {number}", got, want[:7] + (hex(want[7]),))
        expect(f"control {number} extended style", ex_style, 0)


def check_icon(found, group):
    r = Reader(group)
    expect("icon group header (reserved, type, count)", r.take("HHH"), (0, 1, 2))
    sizes = []
    for _ in range(2):
        width, height, colours, _reserved, planes, bits, _size, ident = r.take("BBBBHHIH")
        sizes.append((width, height, colours, planes, bits))
        image = only_in_language(found, (RT_ICON, ident), f"icon image {ident}")
        if image:
            header = struct.unpack_from("<IiiHH", image)
            expect(f"icon image {ident} bitmap (size, width, height x2, planes, bits)", header,
                   (40, width, height * 2, 1, 4))
    expect("icon images (width, height, colours, planes, bits)", sizes,
           [(32, 32, 16, 1, 4), (16, 16, 16, 1, 4)])


def check_version(pe):
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    fixed = pe.VS_FIXEDFILEINFO[0]
    expect("file version", (fixed.FileVersionMS, fixed.FileVersionLS), (0x00010000, 1))
    expect("product version", (fixed.ProductVersionMS, fixed.ProductVersionLS), (0x00010000, 1))
    expect("file OS (32-bit Windows)", fixed.FileOS, 0x4)
    expect("file type (application)", fixed.FileType, 0x1)
    tables, translations = {}, []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                tables[table.LangID.decode()] = {k.decode(): v.decode()
                                                 for k, v in table.entries.items()}
        elif info.Key == b"VarFileInfo":
            translations += [var.entry.get(b"Translation") for var in info.Var]
    expect("string tables", list(tables), ["040404b0"])
    expect("version strings", tables.get("040404b0"), VERSION_STRINGS)
    expect("translation", translations, ["0x0404 0x04b0"])


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("i686", "x86_64"):
        sys.exit("usage: check_program.py PROGRAM i686|x86_64")
    pe = pefile.PE(sys.argv[1])
    machine = {"i686": 0x14C, "x86_64": 0x8664}[sys.argv[2]]
    expect("machine", hex(pe.FILE_HEADER.Machine), hex(machine))
    expect("subsystem (Windows GUI)", pe.OPTIONAL_HEADER.Subsystem, 2)
    imported = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    expect("DLLs not Windows' own", sorted(imported - WINDOWS_DLLS), [])

    found = resources(pe)
    expect("resources (type, name)", sorted(found),
           sorted([(RT_ICON, 1), (RT_ICON, 2), (RT_DIALOG, 102), (RT_GROUP_ICON, 128),
                   (RT_VERSION, 1)]))
    dialog = only_in_language(found, (RT_DIALOG, 102), "dialog 102")
    if dialog:
        check_dialog(dialog)
    group = only_in_language(found, (RT_GROUP_ICON, 128), "icon 128")
    if group:
        check_icon(found, group)
    only_in_language(found, (RT_VERSION, 1), "version block")
    check_version(pe)

    for problem in problems:
        print(problem)
    print(f"{sys.argv[1]}: {'%d problems' % len(problems) if problems else 'as designed'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
