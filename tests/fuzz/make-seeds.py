#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (tests/fuzz/corpus/TARGET/) from the
shipped character modules, the Setup.ini the build writes, and a few
hand-made cases. Run it after changing a character, the setup folder's
Setup.ini or a target's input format:

    tests/fuzz/make-seeds.py [MODULE_DIR]   (default: dist/modules)

Without the module folder only the installer's seeds are written.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def unscramble(data):
    return bytes((~((b << 4) | (b >> 4))) & 0xFF for b in data)


def read_module(path):
    data = open(path, "rb").read()
    count = struct.unpack_from("<I", data, 8)[0]
    entries = []
    for i in range(count):
        record = 16 + 32 * i
        size, offset = struct.unpack_from("<II", data, record)
        name = data[record + 10:record + 32].split(b"\0")[0].decode()
        entries.append((name, data[offset:offset + size]))
    return entries


def make_module(entries):
    header = bytearray(16)
    header[0:2] = b"\x15\x0f"
    struct.pack_into("<I", header, 8, len(entries))
    directory = bytearray()
    body = bytearray()
    offset = 16 + 32 * len(entries)
    for name, data in entries:
        record = bytearray(32)
        struct.pack_into("<II", record, 0, len(data), offset + len(body))
        record[10:10 + len(name)] = name.encode()
        directory += record
        body += data
    return bytes(header + directory + body)


def image(width, height, pixels, packed):
    header = bytearray(1036)
    header[1] = 1 if packed else 0
    struct.pack_into("<IHH", header, 4, 1036 + len(pixels), width, height)
    for i in range(256):
        header[12 + 4 * i:15 + 4 * i] = bytes([i, i, i])
    return bytes(header) + bytes(pixels)


def region(rects):
    out = bytearray(struct.pack("<IIII", 32, 1, len(rects), 16 * len(rects)))
    out += struct.pack("<iiii", 0, 0, 4, 2)
    for r in rects:
        out += struct.pack("<iiii", *r)
    return bytes(out)


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def rename_action(script, base, sound):
    """The script with its image base name and sound base name replaced."""
    fields = script.split(b",")
    fields[0] = base
    if len(fields) > 5 and fields[4].strip().isdigit() and int(fields[4]) > 0:
        fields[5] = b"\r\n" + sound if fields[5].startswith(b"\r\n") else b"\n" + sound if fields[5].startswith(b"\n") else sound
    return b",".join(fields)


def setup_ini(lines):
    """A Setup.ini as the build writes it: GBK, CRLF line ends."""
    return "".join(line + "\r\n" for line in lines).encode("gbk")


def setup_seeds():
    # The Setup.ini of setup/make-setup-folder.sh for the files it ships.
    product = "Zippit(演示版)"
    files = ["Zippit.exe", "Zippy.Pkm", "Pebble.Pkm", "Zippit.html"]
    shipped = ["[Setup]", "ProductName=" + product, "ProductVersion=1.0",
               "DefaultPath=?:\\Program Files\\Zippit", "DiskSpase=1534976", "ExecFile=Zippit.exe",
               "[LoadModule]", "Module=Zippy.Pkm", "[SetupFiles]"]
    shipped += ["%d=%s" % (i + 1, name) for i, name in enumerate(files)]
    shipped += ["[StartMenu]", "Question=C", "StartMenu=" + product, "1=%s," % product, "4=%s 帮助," % product,
                "[Startup]", "1=%s," % product, "[Desktop]", "Question=G"]
    write("setup_ini", "shipped.ini", setup_ini(shipped))

    # Hand-made: the fuzz machine's setup folder holds Zippit.exe, Zippy.Pkm,
    # Pebble.Pkm, Zippit.html, UnInst.dat and DISK1\a.exe.
    write("setup_ini", "minimal.ini", b"[Setup]\nProductName=P\nDefaultPath=C:\\P\n")
    write("setup_ini", "no-product.ini", b"[Setup]\nDefaultPath=C:\\P\n[SetupFiles]\n1=Zippit.exe\n")
    write("setup_ini", "no-setup-section.ini", b"[LoadModule]\nModule=Zippy.Pkm\n")
    write("setup_ini", "subfolder-and-gap.ini", setup_ini([
        "[Setup]", "ProductName=P", "DefaultPath=D:\\Apps\\Pets\\Game", "SetupFiles=DISK1", "DiskSpase=12abc",
        "[SetupFiles]", "1=a.exe", "2=Zippit.exe", "4=Zippy.Pkm",
        "[StartMenu]", "Question=CG", "StartMenu=Pets", "1=Play,/a,Read me,/h", "3=Folder,", "4=Never,",
        "[Startup]", "2=Run,,Again,", "[Desktop]", "Question=N"]))
    write("setup_ini", "percent.ini", setup_ini([
        "[Setup]", "ProductName=%s%n%d 100%", "ProductVersion=%x%%", "DefaultPath=?:\\%s\\%n",
        "DiskSpase=-5", "[LoadModule]", "Module=%s.Pkm", "[SetupFiles]", "1=Zippit.exe",
        "[StartMenu]", "StartMenu=%s", "1=%n%s,%d"]))
    write("setup_ini", "question-drive.ini", b"[setup]\r\nproductname=P\r\ndefaultpath=?\r\ndiskspase=99999999999\r\n"
          b"[setupfiles]\r\n1=Zippit.exe\r\n[startmenu]\r\nquestion=cgn\r\n1=,,,\r\n")
    long_value = "x" * 600
    write("setup_ini", "long-values.ini", setup_ini([
        "[Setup]", "ProductName=" + "名" * 300, "ProductVersion=" + long_value, "DefaultPath=C:\\" + "d" * 520,
        "SetupFiles=" + long_value, "[LoadModule]", "Module=" + long_value,
        "[SetupFiles]", "1=" + "n" * 500, "2=Zippit.exe", "[StartMenu]", "StartMenu=" + "g" * 505,
        "1=" + "l" * 508 + ",", "2=" + ",".join(["a", ""] * 100)]))
    write("setup_ini", "empty-names.ini", setup_ini([
        "[Setup]", "ProductName=P", "DefaultPath=C:\\Apps\\", "[SetupFiles]", "1=Zippit.exe",
        "[StartMenu]", "StartMenu=", "1=,", "[Startup]", "1=,/a,,", "2=Play,/b,"]))
    write("setup_ini", "nul-and-gbk.ini", b"[Setup]\nProductName=P\x00Q\nDefaultPath=C:\\\x81\\\xfe\\\n"
          b"ProductVersion=\x81\n[SetupFiles]\n1=\x81\\Zippit.exe\n2=Zippy.Pkm\n[StartMenu]\n1=\x81,\x81\\,\n")

    # Installed lists (UnInst.lst) as Setup writes them into the install
    # folder, and ones tampered with.
    programs = "C:\\Documents and Settings\\All Users\\Start Menu\\Programs"
    write("uninst_list", "installed.lst", setup_ini(
        ["[Files]"] + ["%d=%s" % (i + 1, name) for i, name in enumerate(files)] +
        ["[Links]", "1=%s\\%s\\%s.lnk" % (programs, product, product),
         "2=%s\\%s\\%s 帮助.lnk" % (programs, product, product),
         "3=%s\\..\\Startup\\%s.lnk" % (programs, product),
         "[Folders]", "1=%s\\%s" % (programs, product)]))
    write("uninst_list", "climbing.lst", setup_ini([
        "[Files]", "1=..\\..\\Windows\\win.ini", "2=sub\\..\\..\\x", "3=sub/../../x", "4=. .\\x",
        "5=...\\x", "6=sub\\.. ", "7=.", "8=sub\\", "9=C:\\boot.ini", "10=\\Windows\\x", "11=a:stream",
        "12=\\\\server\\share\\x", "13=Zippit.exe",
        "[Links]", "1=C:\\Windows\\notepad.exe", "2=C:\\Apps\\..\\x.LNK", "3=.lnk",
        "[Folders]", "1=C:\\Windows", "2="]))
    write("uninst_list", "gaps-and-gbk.lst",
          b"[files]\r\n1=\xd1\xdd\\a\r\n2=\x81\\..\\x\r\n3=\x81\\\r\n5=after-gap\r\n"
          b"[LINKS]\r\n1=C:\\\x81\\.lnk\r\n[Files]\r\n4=second-section\r\n")
    # Names GBK cannot spell stand in UTF-8 in the sections' ".UTF-8" twins.
    write("uninst_list", "utf8-sections.lst",
          setup_ini(["[Files]", "1=小猫.Pkm", "[Links]", "1=C:\\Menu\\Programs\\Zippit\\Zippit.lnk",
                     "[Folders]", "1=C:\\Menu\\Programs\\Zippit"]) +
          "[Files.UTF-8]\r\n1=Ελένη.Pkm\r\n2=..\\Ελένη\r\n[Links.UTF-8]\r\n1=C:\\Menu\\Programs\\Ελένη\\€.lnk\r\n"
          "[Folders.UTF-8]\r\n1=C:\\Menu\\Programs\\Ελένη\r\n[Parents.UTF-8]\r\n1=C:\\Ελένη\r\n".encode("utf-8"))
    write("uninst_list", "long.lst", setup_ini(["[Files]", "1=" + "n" * 520, "2=" + "\\".join(["d"] * 250),
                                                "[Links]", "1=" + "l" * 600 + ".lnk"]))

    # Shortcut lists.
    for name, text in [("one", "Play,"), ("no-comma", "Play"), ("two", "Play,/a,Read me,/h"),
                       ("last-name-ignored", "Play,/a,Help"), ("trailing-comma", "Play,/a,"),
                       ("empty-names", ",,,"), ("blanks", " A , b "), ("empty", ""),
                       ("gbk", "帮助 1,/h,启动,")]:
        write("shortcut_list", name, text.encode("gbk"))
    write("shortcut_list", "nul-inside", b"A,b\x00,C,")
    write("shortcut_list", "long", b",".join([b"n" * 40, b"a" * 40] * 8) + b",")


def main():
    setup_seeds()
    modules = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "dist", "modules")
    if not os.path.isfile(os.path.join(modules, "Pebble.Pkm")):
        print("no character modules in %s: only the installer's seeds written" % modules, file=sys.stderr)
        return
    pebble = dict(read_module(os.path.join(modules, "Pebble.Pkm")))
    zippy = dict(read_module(os.path.join(modules, "Zippy.Pkm")))

    # Whole modules: each character cut down to its description, palette and
    # first action; and damaged headers.
    write("module", "pebble-small.Pkm", make_module(
        [(n, pebble[n]) for n in ["info.txt", "palette.tw8", "def01", "peb00.tw8", "peb00.rgn", "peb01.tw8", "peb01.rgn"]]))
    info = unscramble(zippy["info.txt"]).replace(b"2,def01,70,wav01,30,", b"1,def01,100,")
    write("module", "zippy-small.Pkm", make_module(
        [("info.txt", unscramble(info)), ("palette.tw8", zippy["palette.tw8"]), ("def01", zippy["def01"])] +
        [(f"std0{i}{s}", zippy[f"std0{i}{s}"]) for i in range(3) for s in (".tw8", ".rgn")]))
    write("module", "empty.Pkm", make_module([]))
    write("module", "bad-magic.Pkm", b"\x15\x0e" + bytes(14))
    write("module", "count-past-end.Pkm", b"\x15\x0f" + bytes(6) + b"\xff\xff\xff\xff" + bytes(4))
    info = unscramble(pebble["info.txt"]).replace(b"44,36,", b"0,36,")
    write("module", "canvas-unusable.Pkm", make_module(
        [("info.txt", unscramble(info))] + [(n, pebble[n]) for n in ["palette.tw8", "def01", "peb00.tw8", "peb00.rgn"]]))

    # Run-length data: capacity (2 bytes) and the packed pixels of shipped cels.
    for name in ["peb00.tw8", "eye03.tw8", "nap01.tw8"]:
        data = pebble[name]
        width, height = struct.unpack_from("<HH", data, 8)
        write("rle", name.replace(".tw8", ""), struct.pack("<H", width * height) + data[1036:])
    data = zippy["std00.tw8"]
    width, height = struct.unpack_from("<HH", data, 8)
    write("rle", "std00", struct.pack("<H", width * height) + data[1036:])
    write("rle", "literal-and-run", struct.pack("<H", 16) + b"\x83abc\x0d\x00")
    write("rle", "run-past-capacity", struct.pack("<H", 4) + b"\x05x")
    write("rle", "missing-operand", struct.pack("<H", 8) + b"\x84ab")

    # Images: shipped cels (packed) and palette (plain), hand-made odd widths.
    write("image", "peb00.tw8", pebble["peb00.tw8"])
    write("image", "std01.tw8", zippy["std01.tw8"])
    write("image", "palette.tw8", pebble["palette.tw8"])
    write("image", "plain-3x2.tw8", image(3, 2, range(6), False))
    write("image", "packed-5x3-short.tw8", image(5, 3, b"\x04\x07\x82\x01\x02", True))
    write("image", "packed-overrun.tw8", image(2, 2, b"\x09\x01", True))

    # Region data: shipped regions and hand-made ones.
    write("region", "peb00.rgn", pebble["peb00.rgn"])
    write("region", "jmp01.rgn", zippy["jmp01.rgn"])
    write("region", "one-rect.rgn", region([(0, 0, 4, 2)]))
    write("region", "header-only.rgn", region([])[:32])
    write("region", "count-past-end.rgn", struct.pack("<IIII", 32, 1, 0x10000000, 0) + bytes(16))

    # Description scripts.
    write("info", "pebble", unscramble(pebble["info.txt"]))
    write("info", "zippy", unscramble(zippy["info.txt"]))
    write("info", "stand", b"0,Tester,free text,64,48,20,30,2,1,stand,100,0,0,0,0,1,2,3,1,2,3,4,5,6,7,8,")
    write("info", "two-starts", b"0,T,,64,48,0,0,0,2,stand,50,walk,50,1,x,1,0,0,0,0,0,0,0,0,0,0,0,0,0,")
    write("info", "wrong-version", b"1,T,,64,48,")

    # Action scripts against the target's own cels "a" and sounds "s".
    for name, data in sorted(list(pebble.items()) + list(zippy.items())):
        if "." not in name and name != "info.txt":
            write("action", name, rename_action(unscramble(data), b"a", b"s"))
    write("action", "minimal", b"a,1,0,0,0,0,1,0,0,0,0,0,0,100,1,act,100,")
    write("action", "loop-forever", b"a,2,0,0,0,0,2,0,1,-1,0,1,0,50,1,0,0,50,1,act,100,")
    write("action", "no-loop", b"a,2,0,0,0,0,2,0,-1,0,0,1,0,50,1,0,0,50,1,act,100,")
    # What authors get wrong: a mark before the base name, a comma left out, a base name mistyped.
    write("action", "byte-order-mark", b"\xef\xbb\xbfa,1,0,0,0,0,1,0,0,0,0,0,0,100,1,act,100,")
    write("action", "comma-left-out", b"a,1,0,0,\r\n0,\r\n0,\r\n1,0,0,0,\r\n0,0,0,100\r\n1,act,100,\r\n")
    write("action", "base-name-typo", b"A,1,0,0,0,0,1,0,0,0,0,0,0,100,1,act,100,")
    write("action", "far-offsets", b"a,2,-2147483648,2147483647,0,0,2,0,1,0,0,2147483647,-2147483648,50,"
          b"1,-2147483648,2147483647,50,2,act,50,stand,50,")

    # Sound images: shipped sounds and hand-made damaged ones.
    for name in ["boot00.snd", "hi00.snd"]:
        write("wave", name, unscramble(zippy[name]))
    write("wave", "tok00.snd", unscramble(pebble["tok00.snd"]))
    pcm = struct.pack("<HHIIHH", 1, 1, 8000, 8000, 1, 8)
    def wave(chunks):
        body = b"WAVE" + b"".join(chunks)
        return b"RIFF" + struct.pack("<I", len(body)) + body
    def chunk(name, body, size=None):
        return name + struct.pack("<I", len(body) if size is None else size) + body + b"\0" * (len(body) & 1)
    write("wave", "small", wave([chunk(b"fmt ", pcm), chunk(b"data", b"\x80" * 5)]))
    write("wave", "list-first", wave([chunk(b"LIST", b"INFOabc"), chunk(b"fmt ", pcm), chunk(b"data", b"\x80")]))
    write("wave", "format-4MiB", wave([chunk(b"fmt ", pcm, 4 << 20), chunk(b"data", b"\x80")]))
    write("wave", "data-too-long", wave([chunk(b"fmt ", pcm), chunk(b"data", b"\x80" * 4, 5)]))
    adpcm = struct.pack("<HHIIHHH", 2, 1, 8000, 4096, 256, 4, 4) + b"\0" * 4
    write("wave", "extensible", wave([chunk(b"fmt ", adpcm), chunk(b"data", b"\0" * 8)]))

    # Settings values: flags, lengths (Module 2 bytes, CharActPer, SndUse with
    # HideOverFullScreen's in its high four bits), data.
    def settings(flags, module, act, sound, hide=b""):
        lengths = [flags, len(module) & 255, len(module) >> 8, len(act), len(sound) | (len(hide) << 4)]
        return bytes(lengths) + module + act + sound + hide
    write("settings", "all", settings(15, b"Zippy.Pkm\0", struct.pack("<i", 700), struct.pack("<i", 0)))
    write("settings", "module-only", settings(3, b"Pebble.Pkm", b"", b""))
    write("settings", "module-255", settings(3, b"m" * 255, b"", b""))
    write("settings", "module-256", settings(3, b"m" * 256, b"", b""))
    write("settings", "short-dword", settings(15, b"Z.Pkm", b"\x01\x02", b"\x01"))
    write("settings", "act-out-of-range", settings(47, b"Z.Pkm", struct.pack("<i", 5000), struct.pack("<i", 1)))
    write("settings", "no-key", settings(0, b"", b"", b""))
    write("settings", "hide-off", settings(79, b"Z.Pkm", b"", b"", struct.pack("<i", 0)))
    write("settings", "hide-text", settings(207, b"Z.Pkm", b"", b"", b"0"))


if __name__ == "__main__":
    main()
