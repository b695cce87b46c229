"""Checks the compiled resources against what the program and the platform expect of them.

    check_resources.py FILE    (the .res that windres wrote, or the linked flindor.exe)

Every actual value is read from the compiled file; the expected values are written out here.
"""

import sys
import unittest
import xml.etree.ElementTree as ElementTree

from resource_file import (RT_ACCELERATOR, RT_BITMAP, RT_DIALOG, RT_GROUP_ICON, RT_ICON,
                           RT_MANIFEST, RT_MENU, RT_STRING, RT_VERSION, Control, Dialog,
                           read_accelerators, read_dib, read_dialog, read_fixed_file_info,
                           read_any_resources, read_icon_group, read_menu, read_string_block,
                           read_version_node)

KOREAN = 0x0412
BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
MF_POPUP, MF_END = 0x10, 0x80

RESOURCES = None  # {(type, name): Resource}, read once


def resource(rtype, name):
    return RESOURCES[(rtype, name)]


class ResourceSet(unittest.TestCase):

    def test_every_resource_is_there_once_and_korean(self):
        compiled = [(r.type, r.name, r.language) for r in read_any_resources(COMPILED)]
        expected = [(RT_MENU, 101), (RT_ACCELERATOR, 102), (RT_DIALOG, 104), (RT_DIALOG, 105),
                    (RT_DIALOG, 120), (RT_STRING, 1), (RT_ICON, 1), (RT_GROUP_ICON, 102),
                    (RT_BITMAP, 119), (RT_VERSION, 1), (RT_MANIFEST, 1)]
        self.assertCountEqual(compiled, [(t, n, KOREAN) for t, n in expected])


class Menu(unittest.TestCase):

    def test_three_popups_with_their_commands(self):
        self.assertEqual(read_menu(resource(RT_MENU, 101).data), [
            (MF_POPUP, "&File", [(0, 40005, "&Open"), (MF_END, 40002, "E&xit")]),
            (MF_POPUP, "&Code", [(MF_END, 40003, "&Download")]),
            (MF_POPUP | MF_END, "&Help", [(MF_END, 40004, "&About")]),
        ])


class Accelerators(unittest.TestCase):

    def test_alt_slash_and_alt_question_mark_give_40012(self):
        self.assertEqual(read_accelerators(resource(RT_ACCELERATOR, 102).data),
                         [(0x12, ord("/"), 40012), (0x92, ord("?"), 40012)])


class Strings(unittest.TestCase):

    def test_title_and_class_name(self):
        strings = read_string_block(resource(RT_STRING, 1).data)  # ids 0 to 15
        self.assertEqual(strings[1], "FLINDOR")
        self.assertEqual(strings[2], "FLINDOR")
        self.assertEqual(strings[0] + "".join(strings[3:]), "")


class Dialogs(unittest.TestCase):

    def check(self, template, expected_dialog, expected_controls):
        dialog = read_dialog(resource(RT_DIALOG, template).data)
        controls, dialog.controls = dialog.controls, []
        self.assertEqual(dialog, expected_dialog)
        self.assertEqual(len(controls), len(expected_controls))
        for actual, expected in zip(controls, expected_controls):
            with self.subTest(control=expected.id):
                self.assertEqual(actual, expected)

    def test_about_dialog(self):
        text = ("FLINDOR\n"
                "\n"
                "ZIB KMX4820T Download Program.\n"
                "\n"
                "Copyright (C) 2001 ZIB Co., Ltd.\n"
                "\n"
                "Ver 1.3    Dec.20. 2001.\n"
                "\n"
                "  Visit us at (http://www.zib.example)\n"
                "  More info: e-mail support@zib.example")
        self.check(
            104,
            Dialog(extended=True, style=0x80C800C0, ex_style=0, help_id=0, x=0, y=0, width=203,
                   height=118, menu="", window_class="", title="About FLINDOR", font_size=8,
                   font_weight=0, font_italic=0, font_charset=1, font_face="새굴림"),
            [
                Control(1, BUTTON, "OK", 0x50010001, 0, 79, 94, 52, 15),
                Control(102, STATIC, 102, 0x50000003, 0x1, 10, 35, 20, 20),
                Control(0xFFFFFFFF, STATIC, text, 0x5002000C, 0, 40, 5, 150, 85),
            ])

    def test_control_panel(self):
        self.check(
            105,
            Dialog(extended=False, style=0x50000040, ex_style=0, help_id=0, x=0, y=0, width=231,
                   height=115, menu="", window_class="", title="", font_size=8,
                   font_face="돋움"),
            [
                Control(1002, EDIT, "", 0x50800008, 0, 69, 47, 58, 12),
                Control(1004, STATIC, "Old  Version :", 0x50000002, 0, 15, 63, 50, 8),
                Control(1005, STATIC, "New  Version :", 0x50000002, 0, 14, 76, 51, 8),
                Control(1006, STATIC, "Download  File :", 0x50000002, 0, 7, 49, 58, 8),
                Control(1008, EDIT, "", 0x50800000, 0, 69, 60, 40, 12),
                Control(1009, EDIT, "", 0x50810080, 0, 69, 74, 40, 12),
                Control(1022, STATIC, " Model Name :", 0x50000000, 0, 21, 25, 47, 8),
            ])

    def test_confirm_dialog(self):
        question = ("The system will be rebooted after upgrading ROM-drive F/W.\n"
                    " do you wish to continue?")
        self.check(
            120,
            Dialog(extended=False, style=0x80C800C0, ex_style=0, help_id=0, x=0, y=0, width=121,
                   height=54, menu="", window_class="", title="Continue ?", font_size=16,
                   font_face="Times New Roman"),
            [
                Control(1, BUTTON, "Yes", 0x50010001, 0, 17, 37, 31, 9),
                Control(2, BUTTON, "No", 0x50010000, 0, 70, 37, 31, 9),
                Control(1023, STATIC, question, 0x50000001, 0, 7, 6, 106, 23),
            ])


class Version(unittest.TestCase):

    def setUp(self):
        self.root, _ = read_version_node(resource(RT_VERSION, 1).data)

    def test_fixed_part(self):
        self.assertEqual(self.root.key, "VS_VERSION_INFO")
        self.assertEqual(read_fixed_file_info(self.root), {
            "signature": 0xFEEF04BD, "struct_version": 0x10000,
            "file_version_ms": 0x00010003, "file_version_ls": 0x00000001,
            "product_version_ms": 0x00010003, "product_version_ls": 0x00000001,
            "flags_mask": 0x3F, "flags": 0x2A, "os": 0x40004, "type": 1, "subtype": 0,
            "date_ms": 0, "date_ls": 0,
        })

    def test_strings_in_order_and_translation(self):
        self.assertEqual([c.key for c in self.root.children], ["StringFileInfo", "VarFileInfo"])
        string_info, var_info = self.root.children
        self.assertEqual([t.key for t in string_info.children], ["041203b5"])
        values = [(v.key, v.value) for v in string_info.children[0].children]
        self.assertTrue(all(v.is_text for v in string_info.children[0].children))
        self.assertEqual(values, [
            ("Comments", "ZIB DVD-ROM KMX4820T Download  Program for Windows"),
            ("CompanyName", "ZIB Co., Ltd."),
            ("FileDescription", "flindor"),
            ("FileVersion", "1.3.0.1"),
            ("InternalName", "flindor"),
            ("LegalCopyright", "Copyright (C) 2001 ZIB Co., Ltd. All rights reserved."),
            ("LegalTrademarks", "flindor"),
            ("OriginalFilename", "flindor.exe"),
            ("PrivateBuild", "flindor"),
            ("ProductName", " FLINDOR"),
            ("ProductVersion", "1.3.0.1"),
            ("SpecialBuild", "flindor"),
        ])
        self.assertEqual([(t.key, t.value) for t in var_info.children],
                         [("Translation", bytes.fromhex("1204b503"))])  # 0x0412, 949


class Art(unittest.TestCase):

    def test_icon_one_opaque_image_56_by_59_at_8_bits(self):
        entries = read_icon_group(resource(RT_GROUP_ICON, 102).data)
        self.assertEqual([(e.width, e.height, e.colours, e.planes, e.bits, e.id) for e in entries],
                         [(56, 59, 0, 1, 8, 1)])
        data = resource(RT_ICON, 1).data
        self.assertEqual(entries[0].size, len(data))
        image = read_dib(data)
        self.assertEqual((image.width, image.height, image.bits, image.compression),
                         (56, 2 * 59, 8, 0))
        self.assertEqual(len(image.palette), 256)
        mask_at = image.pixels_at + image.row_stride() * 59
        mask = data[mask_at:]
        self.assertEqual(len(mask), image.row_stride(bits=1) * 59)
        self.assertEqual(mask, bytes(len(mask)), "every pixel opaque")
        self.assertEqual(len(data), 40 + 1024 + 56 * 59 + 8 * 59)

    def test_toolbar_strip_four_glyphs_on_grey(self):
        data = resource(RT_BITMAP, 119).data
        self.assertEqual(len(data), 2088)
        image = read_dib(data)
        self.assertEqual((image.width, image.height, image.bits, image.compression),
                         (64, 16, 8, 0))
        self.assertEqual(len(image.palette), 256)

        stride = image.row_stride()
        rows = [data[image.pixels_at + stride * (15 - y):][:64] for y in range(16)]  # top first
        colour = [[image.palette[i] for i in row] for row in rows]
        black, dark_blue, grey = (0, 0, 0), (0, 0, 132), (198, 198, 198)
        self.assertEqual({c for row in colour for c in row},
                         {black, dark_blue, (132, 132, 0), grey, (255, 255, 0), (255, 255, 255)})
        for glyph in range(4):
            with self.subTest(glyph=glyph):
                left = 16 * glyph
                self.assertEqual(colour[0][left], grey)
                self.assertEqual({colour[y][left + 15] for y in range(16)}, {black})
                bottom = set(colour[15][left:left + 16])
                self.assertEqual(bottom, {black, dark_blue} if glyph == 1 else {black})
        blank = {colour[y][x] for y in range(15) for x in range(32, 47)}
        self.assertEqual(blank, {grey})


class Manifest(unittest.TestCase):

    def test_asks_for_elevation_and_keeps_the_classic_controls(self):
        text = resource(RT_MANIFEST, 1).data.decode("utf-8")
        root = ElementTree.fromstring(text)
        levels = [e.get("level") for e in root.iter() if e.tag.endswith("requestedExecutionLevel")]
        self.assertEqual(levels, ["requireAdministrator"])
        dependencies = [e for e in root.iter() if e.tag.endswith("dependency")]
        self.assertEqual(dependencies, [])
        self.assertNotIn("Common-Controls", text)


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        COMPILED = f.read()
    RESOURCES = {(r.type, r.name): r for r in read_any_resources(COMPILED)}
    unittest.main(argv=sys.argv[:1], verbosity=1)
