"""Reads the resources of a compiled Win32 resource file (.res), or of a linked program through
pefile, and decodes the kinds of resource FLINDOR has: dialog templates (plain and extended),
standard menus, accelerator tables, string tables, version blocks, icon groups and
device-independent bitmaps. Every value comes from the bytes.
"""

import struct
from dataclasses import dataclass, field

import pefile

RT_BITMAP, RT_ICON, RT_MENU, RT_DIALOG, RT_STRING = 2, 3, 4, 5, 6
RT_ACCELERATOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 9, 14, 16, 24

DS_SETFONT = 0x40
MF_POPUP, MF_END = 0x10, 0x80


class Reader:
    """Little-endian fields from a byte string, front to back."""

    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, boundary=4):
        self.pos = (self.pos + boundary - 1) // boundary * boundary

    def text(self):
        """A zero-terminated UTF-16 string."""
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return value

    def name_or_ordinal(self):
        """A resource, class or title reference: 0xFFFF and a number, or a string."""
        if self.take("H") == 0xFFFF:
            return self.take("H")
        self.pos -= 2
        return self.text()

    def at_end(self):
        return self.pos >= len(self.data)


@dataclass
class Resource:
    type: object
    name: object
    language: int
    data: bytes


def read_resources(blob):
    """Every entry of a .res file, in file order, without the leading empty entry."""
    reader, found = Reader(blob), []
    while not reader.at_end():
        start = reader.pos
        data_size, header_size = reader.take("II")
        rtype, name = reader.name_or_ordinal(), reader.name_or_ordinal()
        reader.align()
        _version, _flags, language = reader.take("IHH")
        data_at = start + header_size
        if not (data_size == 0 and rtype == 0 and name == 0):
            found.append(Resource(rtype, name, language, blob[data_at:data_at + data_size]))
        reader.pos = data_at + data_size
        reader.align()
    return found


def read_pe_resources(blob):
    """Every resource of a linked PE image (.exe), from its resource directory: type, name and
    language levels, in directory order."""
    image = pefile.PE(data=blob, fast_load=True)
    image.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    assert hasattr(image, "DIRECTORY_ENTRY_RESOURCE"), "no resource directory"

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    found = []
    for rtype in image.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in rtype.directory.entries:
            for language in name.directory.entries:
                leaf = language.data.struct
                found.append(Resource(key(rtype), key(name), language.id,
                                      image.get_data(leaf.OffsetToData, leaf.Size)))
    return found


def read_any_resources(blob):
    """The resources of a .res file or of a linked .exe."""
    return read_pe_resources(blob) if blob[:2] == b"MZ" else read_resources(blob)


@dataclass
class Control:
    id: int
    class_name: object  # an atom (0x80 button, 0x81 edit, 0x82 static) or a name
    text: object  # a string, or the ordinal of a resource such as an icon
    style: int
    ex_style: int
    x: int
    y: int
    width: int
    height: int


@dataclass
class Dialog:
    extended: bool
    style: int
    ex_style: int
    help_id: int
    x: int
    y: int
    width: int
    height: int
    menu: object
    window_class: object
    title: str
    font_size: int = 0
    font_weight: int = 0
    font_italic: int = 0
    font_charset: int = 0
    font_face: str = ""
    controls: list = field(default_factory=list)


def read_dialog(data):
    """A DIALOG or DIALOGEX template with its controls."""
    r = Reader(data)
    version, signature = r.take("HH")
    extended = version == 1 and signature == 0xFFFF
    if extended:
        help_id, ex_style, style = r.take("III")
    else:
        r.pos, help_id = 0, 0
        style, ex_style = r.take("II")
    count, x, y, width, height = r.take("Hhhhh")
    d = Dialog(extended, style, ex_style, help_id, x, y, width, height, r.name_or_ordinal(),
               r.name_or_ordinal(), r.text())
    if style & DS_SETFONT:
        d.font_size = r.take("H")
        if extended:
            d.font_weight, d.font_italic, d.font_charset = r.take("HBB")
        d.font_face = r.text()
    for _ in range(count):
        r.align()
        if extended:
            c_help, c_ex_style, c_style, cx, cy, cw, ch, c_id = r.take("IIIhhhhI")
        else:
            c_style, c_ex_style, cx, cy, cw, ch, c_id = r.take("IIhhhhH")
        class_name, text = r.name_or_ordinal(), r.name_or_ordinal()
        creation_data = r.take("H")
        r.pos += creation_data
        d.controls.append(Control(c_id, class_name, text, c_style, c_ex_style, cx, cy, cw, ch))
    return d


def read_menu(data):
    """A standard menu template as nested lists: (flags, text, [items]) for a pop-up,
    (flags, command, text) for an item."""
    r = Reader(data)
    version, header_size = r.take("HH")
    assert (version, header_size) == (0, 0), "not a standard menu template"

    def items():
        found = []
        while True:
            flags = r.take("H")
            if flags & MF_POPUP:
                found.append((flags, r.text(), items()))
            else:
                command = r.take("H")
                found.append((flags, command, r.text()))
            if flags & MF_END:
                return found

    return items()


def read_accelerators(data):
    """(flags, key, command) of every entry."""
    return [struct.unpack_from("<HHH", data, at) for at in range(0, len(data), 8)]


def read_string_block(data):
    """The 16 strings of one string table block."""
    r, strings = Reader(data), []
    for _ in range(16):
        length = r.take("H")
        strings.append(data[r.pos:r.pos + 2 * length].decode("utf-16-le"))
        r.pos += 2 * length
    return strings


@dataclass
class VersionNode:
    key: str
    is_text: bool
    value: object  # text without its terminating zero, or raw bytes
    children: list


def read_version_node(data, pos=0):
    r = Reader(data, pos)
    length, value_length, value_type = r.take("HHH")
    end = pos + length
    key = r.text()
    r.align()
    if value_type == 1:  # text: the length counts UTF-16 units, terminator included
        value = data[r.pos:r.pos + 2 * value_length].decode("utf-16-le").rstrip("\0")
        r.pos += 2 * value_length
    else:
        value = data[r.pos:r.pos + value_length]
        r.pos += value_length
    children = []
    r.align()
    while r.pos < end:
        child, child_end = read_version_node(data, r.pos)
        children.append(child)
        r.pos = child_end
        r.align()
    return VersionNode(key, value_type == 1, value, children), end


FIXED_FILE_INFO = ("signature", "struct_version", "file_version_ms", "file_version_ls",
                   "product_version_ms", "product_version_ls", "flags_mask", "flags", "os",
                   "type", "subtype", "date_ms", "date_ls")


def read_fixed_file_info(node):
    return dict(zip(FIXED_FILE_INFO, struct.unpack("<13I", node.value)))


@dataclass
class IconEntry:
    width: int
    height: int
    colours: int
    planes: int
    bits: int
    size: int
    id: int


def read_icon_group(data):
    _reserved, kind, count = struct.unpack_from("<HHH", data)
    assert kind == 1, "not an icon group"
    entries = [struct.unpack_from("<BBBxHHIH", data, 6 + 14 * i) for i in range(count)]
    return [IconEntry(*e) for e in entries]


@dataclass
class DeviceIndependentBitmap:
    width: int
    height: int
    bits: int
    compression: int
    palette: list  # (red, green, blue) of every entry
    pixels_at: int  # where the pixel rows start in the data

    def row_stride(self, bits=None, width=None):
        return ((width or self.width) * (bits or self.bits) + 31) // 32 * 4


def read_dib(data):
    """A BITMAPINFOHEADER with its colour table, as bitmap and icon resources start."""
    size, width, height, _planes, bits, compression, _image, _xr, _yr, used, _imp = (
        struct.unpack_from("<IiiHHIIiiII", data))
    entries = used or (1 << bits if bits <= 8 else 0)
    palette = [tuple(reversed(data[size + 4 * i:size + 4 * i + 3])) for i in range(entries)]
    return DeviceIndependentBitmap(width, height, bits, compression, palette, size + 4 * entries)
