"""Checks a built frellis.scr: headers, imports and resources, each as one named check.

usage: check_pe.py --exe PATH --arch x86|amd64 CHECK
       check_pe.py --build DIR --toolchain FILE --source DIR [--target TARGET] build
       check_pe.py --build DIR package
       check_pe.py --build DIR --toolchain FILE --source DIR rebuild

build (re)builds the executable (or another target, such as the package) in DIR from the source
tree with the toolchain file; package checks the zip and the setup that the package target made in
DIR and runs every check on each frellis.scr inside the zip; rebuild makes the package again from
a clean clone of the source tree's last commit, in another folder, and compares it with DIR's.
Exit status 0 when the check holds, 1
when it does not, 77 (skipped) when the checker itself cannot run here.
"""
import argparse
import hashlib
import os
import glob
import struct
import subprocess
import sys
import tempfile
import zipfile
import xml.etree.ElementTree as ElementTree

SKIP = 77
try:
    import pefile
except ImportError:
    print("skipped: the pefile module is missing (Debian package python3-pefile)")
    sys.exit(SKIP)

JAPANESE, ENGLISH = 0x0411, 0x0409
RT_STRING, RT_DIALOG, RT_VERSION, RT_MANIFEST = 6, 5, 16, 24
RT_ICON, RT_GROUP_ICON = 3, 14
ICON_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                         "frellis.ico")
# The icon's images as (pixels, bits per pixel, format): the small ones in 32-bit colour and with a
# 256-colour palette, which Windows before XP reads, the large one as PNG, which Vista reads.
ICON_IMAGES = {(16, 32, "bmp"), (32, 32, "bmp"), (48, 32, "bmp"),
               (16, 8, "bmp"), (32, 8, "bmp"), (48, 8, "bmp"), (256, 32, "png")}

# The dialog as the configuration dialog must be, per language: header, font, and every item in
# template order. Both languages share the layout; the font and the labels differ.
DIALOG_HEADER = dict(style=0x80C802C0, exstyle=0, x=0, y=0, cx=170, cy=70, menu=0, cls=0,
                     title="Frellis")
DIALOG_FONTS = {JAPANESE: dict(point_size=9, face="ＭＳ Ｐゴシック"),
                ENGLISH: dict(point_size=8, face="MS Shell Dlg")}
DIALOG_LABELS = {JAPANESE: ("図形の数", "角の個数", "線の本数", "スピード", "："),
                 ENGLISH: ("Figures", "Corners", "Trail", "Speed", ":")}
BUTTON, EDIT, STATIC, UPDOWN = 0x80, 0x81, 0x82, "msctls_updown32"
FIGURES, CORNERS, LINES, SPEED, COLON = range(5)  # label placeholders, by index
DIALOG_ITEMS = [
    (BUTTON, 1, "&OK", 0x50010001, 60, 48, 50, 14),
    (STATIC, 65535, FIGURES, 0x50020000, 10, 10, 30, 12),
    (STATIC, 65535, COLON, 0x50020000, 40, 10, 8, 12),
    (EDIT, 1001, "", 0x50812082, 50, 8, 30, 12),
    (UPDOWN, 1002, "polygon", 0x500000B6, 80, 8, 8, 12),
    (STATIC, 65535, CORNERS, 0x50020000, 10, 27, 30, 12),
    (STATIC, 65535, COLON, 0x50020000, 40, 27, 8, 12),
    (EDIT, 1003, "", 0x50812082, 50, 25, 30, 12),
    (UPDOWN, 1004, "point", 0x500000B6, 80, 25, 8, 12),
    (STATIC, 65535, LINES, 0x50020000, 90, 10, 30, 12),
    (STATIC, 65535, COLON, 0x50020000, 120, 10, 8, 12),
    (EDIT, 1007, "", 0x50812082, 130, 8, 30, 12),
    (UPDOWN, 1008, "line", 0x500000B6, 160, 8, 8, 12),
    (STATIC, 65535, SPEED, 0x50020000, 90, 27, 30, 12),
    (STATIC, 65535, COLON, 0x50020000, 120, 27, 8, 12),
    (EDIT, 1005, "", 0x50812082, 130, 25, 30, 12),
    (UPDOWN, 1006, "speed", 0x500000B6, 160, 25, 8, 12),
]

# The Japanese resources as the saver has always carried them, byte for byte (SHA-256 of each
# resource's data); only the manifest differs between the architectures. Resources added since
# (string block 2) are checked by their contents.
JAPANESE_SHA256 = {
    (RT_DIALOG, 2003): "cdab05d6bdd36d85dadd0f6a44c0b7b260d8b6c137623e84e5ae70a74186e757",
    (RT_STRING, 1): "f8306b64e5e6f699ee1339b957e395ee5ebd1359b24b1c09081815d1127ae3e5",
    (RT_VERSION, 1): "dd0cb4bf1b51f600c14aec60c859accae175ce86d3dd7b2da14fe966239250d3",
    (RT_MANIFEST, 1, "x86"): "690ae4b7f59cffec6dabc19ff35a3d70e4df0ef60c784a1526177666098953f1",
    (RT_MANIFEST, 1, "amd64"): "4716c7ecb3ff30f2ddc0c414d37c366d44e5e75d97bfb6924536b5dbab5a34d1",
}

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comctl32.dll",
                "msvcrt.dll"}
FORBIDDEN_DLLS = {"imm32.dll", "password.cpl", "mpr.dll"}
# The C runtime's time() is 32 bits wide on the 32-bit build and fails from 2038 on: the calendar
# time comes from the platform's 64-bit clock instead.
CALENDAR_FUNCTIONS = {b"time", b"_time32", b"_time64"}
ARCHES = {"x86": (0x14C, 0x10B), "amd64": (0x8664, 0x20B)}


class Failure(Exception):
    pass


def expect(what, actual, wanted):
    if actual != wanted:
        raise Failure("%s: got %r, want %r" % (what, actual, wanted))


def resources(pe, type_id):
    """(name id, language, bytes) of every resource of one type."""
    found = []
    for type_entry in getattr(pe, "DIRECTORY_ENTRY_RESOURCE", pe).entries:
        if type_entry.id != type_id:
            continue
        for name_entry in type_entry.directory.entries:
            for lang_entry in name_entry.directory.entries:
                entry = lang_entry.data.struct
                data = pe.get_data(entry.OffsetToData, entry.Size)
                found.append((name_entry.id, lang_entry.id, data))
    return found


def resource_by_language(pe, type_id, name_id, languages):
    """{language: bytes} of the one resource of a type, present in exactly these languages."""
    matches = resources(pe, type_id)
    expect("resources of type %d" % type_id, sorted((n, lang) for n, lang, _ in matches),
           sorted((name_id, lang) for lang in languages))
    return {lang: data for _, lang, data in matches}


class Reader:
    """Walks a dialog template: little-endian words, and strings or ordinals in UTF-16."""

    def __init__(self, data):
        self.data, self.at = data, 0

    def unpack(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values

    def string(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return text

    def string_or_ordinal(self, absent=0):
        """An ordinal after 0xFFFF, a string, or absent for the lone terminator."""
        (first,) = struct.unpack_from("<H", self.data, self.at)
        if first == 0xFFFF:
            self.at += 2
            return self.unpack("H")[0]
        if first == 0:
            self.at += 2
            return absent
        return self.string()

    def align(self):
        self.at = (self.at + 3) & ~3


def icon_image(width, bits, data):
    """An icon image as (pixels, bits per pixel, format, bytes), from what its data says of
    itself: a PNG, or a bitmap whose header must agree with the directory's entry."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        (png_width,) = struct.unpack_from(">I", data, 16)
        return (png_width, bits, "png", data)
    _, bmp_width, _, _, bmp_bits = struct.unpack_from("<IiiHH", data, 0)
    expect("bitmap of the %d-pixel image" % (width or 256), (bmp_width, bmp_bits),
           (width or 256, bits))
    return (bmp_width, bmp_bits, "bmp", data)


def ico_file_images(path):
    data = open(path, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    expect("icon file type", kind, 1)
    images = []
    for number in range(count):
        width, _, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * number)
        images.append(icon_image(width, bits, data[offset:offset + size]))
    return images


def icon_groups(pe):
    """{group id: the images it names}, read from the group's directory and the icons it names."""
    icons = {name_id: data for name_id, _, data in resources(pe, RT_ICON)}
    groups = {}
    for group_id, _, data in resources(pe, RT_GROUP_ICON):
        (count,) = struct.unpack_from("<H", data, 4)
        images = []
        for number in range(count):
            width, _, _, _, _, bits, _, icon_id = struct.unpack_from("<BBBBHHIH", data,
                                                                     6 + 14 * number)
            images.append(icon_image(width, bits, icons[icon_id]))
        groups[group_id] = images
    return groups


def expect_icon_images(what, images):
    """The images are those of resources/frellis.ico, in any order, and that file holds every
    size and format that ICON_IMAGES names."""
    wanted = ico_file_images(ICON_FILE)
    expect("sizes and formats of resources/frellis.ico",
           sorted(image[:3] for image in wanted), sorted(ICON_IMAGES))
    expect("%s: images other than those of resources/frellis.ico" % what,
           sorted(images), sorted(wanted))


def check_icon(pe, arch):
    """Icon group 100, which the window class asks for and Explorer shows, is the only one."""
    groups = icon_groups(pe)
    expect("icon groups", sorted(groups), [100])
    expect_icon_images("icon 100", groups[100])


def check_headers(pe, arch):
    machine, magic = ARCHES[arch]
    expect("machine", pe.FILE_HEADER.Machine, machine)
    expect("optional header magic", pe.OPTIONAL_HEADER.Magic, magic)
    expect("subsystem (2: GUI)", pe.OPTIONAL_HEADER.Subsystem, 2)


def check_imports(pe, arch):
    imports = {entry.dll.decode().lower(): entry.imports for entry in pe.DIRECTORY_ENTRY_IMPORT}
    for dll in imports:
        if dll in FORBIDDEN_DLLS:
            raise Failure("%s is imported; it must only be loaded by name at run time" % dll)
    expect("imported DLLs", set(imports), ALLOWED_DLLS)
    expect("COMCTL32 imports (by ordinal, no name)",
           [(i.ordinal, i.name) for i in imports["comctl32.dll"]], [(17, None)])
    expect("C runtime calendar functions imported",
           sorted(i.name.decode() for i in imports["msvcrt.dll"] if i.name in CALENDAR_FUNCTIONS),
           [])


def check_dialog(pe, arch):
    for language, data in resource_by_language(pe, RT_DIALOG, 2003, (JAPANESE, ENGLISH)).items():
        expect_template(data, language)


def expect_template(data, language):
    if data[:4] == b"\x01\x00\xff\xff":
        raise Failure("the template 0x%04x is in the extended form" % language)
    reader = Reader(data)
    style, exstyle, count, x, y, cx, cy = reader.unpack("IIHhhhh")
    header = dict(style=style, exstyle=exstyle, x=x, y=y, cx=cx, cy=cy,
                  menu=reader.string_or_ordinal(), cls=reader.string_or_ordinal(),
                  title=reader.string(), point_size=reader.unpack("H")[0], face=reader.string())
    expect("dialog header 0x%04x" % language, header, dict(DIALOG_HEADER, **DIALOG_FONTS[language]))
    expect("item count", count, len(DIALOG_ITEMS))
    labels = DIALOG_LABELS[language]
    for number, wanted in enumerate(DIALOG_ITEMS, 1):
        if isinstance(wanted[2], int):
            wanted = wanted[:2] + (labels[wanted[2]],) + wanted[3:]
        reader.align()
        style, exstyle, x, y, cx, cy, item_id = reader.unpack("IIhhhhH")
        cls, text = reader.string_or_ordinal(), reader.string_or_ordinal(absent="")
        (extra,) = reader.unpack("H")
        reader.at += extra
        expect("item %d (0x%04x)" % (number, language), (cls, item_id, text, style, x, y, cx, cy),
               wanted)
        expect("item %d extended style" % number, exstyle, 0)


# The string table per block (block n holds strings 16(n-1) to 16n-1) and language: string 1
# names the saver, strings 16 to 18 make up the message of a failed save.
STRINGS = {
    (1, JAPANESE): [""] + ["Frellis"] + [""] * 14,
    (1, ENGLISH): [""] + ["Frellis"] + [""] * 14,
    (2, JAPANESE): ["設定を次のファイルに保存できませんでした：",
                    "次のファイルにも保存できませんでした：",
                    "このファイルには古い設定と新しい設定が混在している可能性があります。"] + [""] * 13,
    (2, ENGLISH): ["The settings could not be saved to", "Nor could they be saved to",
                   "This file may now hold a mix of old and new settings."] + [""] * 13,
}


def check_strings(pe, arch):
    found = {}
    for block, language, data in resources(pe, RT_STRING):
        reader, strings = Reader(data), []
        for _ in range(16):
            (length,) = reader.unpack("H")
            strings.append(data[reader.at:reader.at + 2 * length].decode("utf-16-le"))
            reader.at += 2 * length
        found[(block, language)] = strings
    expect("string tables", found, STRINGS)


# The version block's strings and translation, per language.
VERSION_STRINGS = {"041104b0": ("ScreenSaver", "0x0411 0x04b0"),
                   "040904b0": ("Screen saver", "0x0409 0x04b0")}


def check_version(pe, arch):
    resource_by_language(pe, RT_VERSION, 1, (JAPANESE, ENGLISH))
    for fixed in pe.VS_FIXEDFILEINFO:
        got = {field: getattr(fixed, field) for field in (
            "Signature", "StrucVersion", "FileVersionMS", "FileVersionLS", "ProductVersionMS",
            "ProductVersionLS", "FileFlagsMask", "FileFlags", "FileOS", "FileType",
            "FileSubtype")}
        expect("fixed version part", got, dict(
            Signature=0xFEEF04BD, StrucVersion=0x10000, FileVersionMS=1, FileVersionLS=0,
            ProductVersionMS=1, ProductVersionLS=0, FileFlagsMask=0x3F, FileFlags=0,
            FileOS=0x40004, FileType=1, FileSubtype=0))
    # Each block holds one string table and one translation, for its own language.
    for file_info in pe.FileInfo:
        tables, translations = {}, []
        for info in file_info:
            for table in getattr(info, "StringTable", []):
                tables[table.LangID.decode()] = {k.decode(): v.decode()
                                                 for k, v in table.entries.items()}
            for var in getattr(info, "Var", []):
                translations.append(var.entry)
        expect("string tables of one block", len(tables), 1)
        (key, strings), = tables.items()
        if key not in VERSION_STRINGS:
            raise Failure("unexpected version string table %s" % key)
        description, translation = VERSION_STRINGS[key]
        expect("FileDescription", strings.get("FileDescription"), description)
        expect("FileVersion", strings.get("FileVersion"), "0.01")
        expect("translations", translations, [{b"Translation": translation}])
    expect("version blocks", len(pe.FileInfo), len(VERSION_STRINGS))


def check_japanese_unchanged(pe, arch):
    found = {}
    for type_id in (RT_DIALOG, RT_STRING, RT_VERSION, RT_MANIFEST):
        for name_id, language, data in resources(pe, type_id):
            if language == JAPANESE:
                key = (type_id, name_id) + ((arch,) if type_id == RT_MANIFEST else ())
                found[key] = hashlib.sha256(data).hexdigest()
    wanted = {key: digest for key, digest in JAPANESE_SHA256.items()
              if len(key) == 2 or key[2] == arch}
    expect("SHA-256 of the Japanese resources", {key: found.get(key) for key in wanted}, wanted)


def check_manifest(pe, arch):
    data = resource_by_language(pe, RT_MANIFEST, 1, (JAPANESE,))[JAPANESE]
    text = data.decode("utf-8")
    declaration = text[:text.index("?>") + 2]
    for attribute in ('version="1.0"', 'encoding="UTF-8"', 'standalone="yes"'):
        if attribute not in declaration:
            raise Failure("XML declaration %r lacks %s" % (declaration, attribute))
    ns = "{urn:schemas-microsoft-com:asm.v1}"
    root = ElementTree.fromstring(data)
    expect("root element", root.tag, ns + "assembly")
    expect("manifestVersion", root.get("manifestVersion"), "1.0")
    expect("children of assembly", [child.tag for child in root],
           [ns + "description", ns + "dependency"])
    description = root.find(ns + "description")
    expect("description", (description.text or "", len(description)), ("", 0))
    identities = root.findall("./%sdependency/%sdependentAssembly/%sassemblyIdentity" % (ns, ns, ns))
    expect("dependent assemblies", len(identities), 1)
    expect("common controls identity", identities[0].attrib, {
        "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
        "processorArchitecture": "X86" if arch == "x86" else "amd64", "language": "*",
        "publicKeyToken": "6595b64144ccf1df"})


def check_no_measurement(pe, arch):
    """The shipped saver reads no variable of its own: only the measurement build names them."""
    expect("offset of the text FRELLIS_", pe.__data__.find(b"FRELLIS_"), -1)


CHECKS = {name[len("check_"):]: function for name, function in globals().items()
          if name.startswith("check_")}


def build(args):
    configure = ["cmake", "-S", args.source, "-B", args.build, "-G", "Ninja",
                 "--toolchain", args.toolchain, "-DCMAKE_BUILD_TYPE=MinSizeRel",
                 "-DFRELLIS_MEASUREMENT=OFF"]
    for command in (configure, ["cmake", "--build", args.build, "-j2", "--target", args.target]):
        if subprocess.call(command) != 0:
            print("failed: %s" % " ".join(command))
            return 1
    return 0


def rebuild(args):
    """The downloads and frellis.scr of DIR, made again from a clone of the last commit in a
    folder of another name and at a later time, are the same bytes."""
    if subprocess.run(["git", "-C", args.source, "status", "--porcelain", "--untracked-files=no"],
                      capture_output=True, text=True).stdout.strip():
        print("skipped: the source tree differs from its last commit, which a clone rebuilds")
        return SKIP
    sums = os.path.join(args.build, "SHA256SUMS")
    if not os.path.exists(sums):
        print("failed: %s was not made" % sums)
        return 1
    names = ["SHA256SUMS", "frellis.scr", "win64/frellis.scr"] + [line.split()[1] for line in open(sums)]
    with tempfile.TemporaryDirectory(prefix="frellis-rebuild-") as scratch:
        clone = os.path.join(scratch, "another-frellis")
        commit = subprocess.run(["git", "-C", args.source, "rev-parse", "HEAD"],
                                capture_output=True, text=True, check=True).stdout.strip()
        subprocess.run(["git", "clone", "-q", "--no-checkout", args.source, clone], check=True)
        subprocess.run(["git", "-C", clone, "checkout", "-q", commit], check=True)
        again = argparse.Namespace(
            source=clone, build=os.path.join(clone, "build", "again"), target="package",
            toolchain=os.path.join(clone, os.path.relpath(args.toolchain, args.source)))
        if build(again) != 0:
            return 1
        differ = [name for name in names
                  if open(os.path.join(args.build, name), "rb").read() !=
                  open(os.path.join(again.build, name), "rb").read()]
    if differ:
        print("failed: rebuilt from a clone, these differ: %s" % ", ".join(differ))
        return 1
    print("rebuilt from a clone of %s: %s are the same" % (commit[:7], ", ".join(names)))
    return 0


# What a user reads in README.txt before installing: each must be there.
README_TOPICS = ["INSTALL", "Install", "System32", "WHERE THE SETTINGS LIVE", "Frellis.ini",
                 "%APPDATA%\\Frellis\\Frellis.ini", "UNINSTALL", "32-bit\\frellis.scr",
                 "64-bit\\frellis.scr", "ARM64", "VirtualStore"]
# Each build's folder in the zip, and the architecture its frellis.scr must have.
PACKAGED_SAVERS = {"32-bit/frellis.scr": "x86", "64-bit/frellis.scr": "amd64"}


def expect_setup(path):
    """The setup beside the zip is a 32-bit program, so that it runs wherever the saver does, and
    Windows asks for an administrator before it starts."""
    expect("setup %s exists" % path, os.path.exists(path), True)
    setup = pefile.PE(path)
    expect("setup machine", setup.FILE_HEADER.Machine, ARCHES["x86"][0])
    manifests = [data for _, _, data in resources(setup, 24)]
    expect("setup asks for an administrator",
           [b'level="requireAdministrator"' in data for data in manifests], [True])
    groups = list(icon_groups(setup).values())
    expect("the setup's icon groups", len(groups), 1)
    expect_icon_images("the setup's icon", groups[0])


def expect_package(build_dir):
    """The zip holds README.txt at its top and each build's frellis.scr in its folder, is named
    after the executables' version, and each frellis.scr in it passes every check."""
    zips = glob.glob(os.path.join(build_dir, "frellis-*-windows.zip"))
    expect("packages in %s" % build_dir, len(zips), 1)
    with zipfile.ZipFile(zips[0]) as archive, tempfile.TemporaryDirectory() as scratch:
        expect("files in the zip", sorted(name for name in archive.namelist()
                                          if not name.endswith("/")),
               sorted(["README.txt"] + list(PACKAGED_SAVERS)))
        archive.extractall(scratch)
        readme = open(os.path.join(scratch, "README.txt"), "rb").read().decode("ascii")
        missing = [topic for topic in README_TOPICS if topic not in readme]
        expect("README.txt topics missing", missing, [])
        expect("README.txt line ends", readme.count("\n"), readme.count("\r\n"))
        for saver, arch in sorted(PACKAGED_SAVERS.items()):
            pe = pefile.PE(os.path.join(scratch, saver))
            for name, check in sorted(CHECKS.items()):
                check(pe, arch)
                print("the packaged %s: %s holds" % (saver, name))
        fixed = pe.VS_FIXEDFILEINFO[0]
        version = "%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                fixed.FileVersionLS >> 16)
        expect("zip name", os.path.basename(zips[0]), "frellis-%s-windows.zip" % version)
        expect_setup(os.path.join(build_dir, "frellis-%s-setup.exe" % version))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe")
    parser.add_argument("--arch", choices=sorted(ARCHES))
    parser.add_argument("--build")
    parser.add_argument("--toolchain")
    parser.add_argument("--source")
    parser.add_argument("--target", default="frellis")
    parser.add_argument("check", choices=sorted(CHECKS) + ["build", "package", "rebuild"])
    args = parser.parse_args()
    if args.check == "build":
        return build(args)
    if args.check == "rebuild":
        return rebuild(args)
    if args.check == "package":
        try:
            expect_package(args.build)
        except Failure as failure:
            print("failed: %s" % failure)
            return 1
        return 0
    if not os.path.exists(args.exe):
        print("failed: %s was not built" % args.exe)
        return 1
    try:
        CHECKS[args.check](pefile.PE(args.exe), args.arch)
    except Failure as failure:
        print("failed: %s" % failure)
        return 1
    print("%s: %s holds" % (args.exe, args.check))
    return 0


sys.exit(main())
