"""The import check on every shipped binary, and on copies with a fault
planted in them: each kind of fault must be found, or the check proves
nothing. VARNEL_SHIPPED_DIR names the folder of the shipped binaries;
VARNEL_WIN64=OFF leaves out the 64-bit half (not built then)."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import import_check as ic  # noqa: E402

SHIPPED_DIR = os.environ.get("VARNEL_SHIPPED_DIR", "")
WITH_WIN64 = os.environ.get("VARNEL_WIN64", "ON").upper() not in ("OFF", "0", "NO", "FALSE")

# The few places in a PE file the planted faults write to.
E_LFANEW = 0x3C
FILE_HEADER = 4                 # after "PE\0\0"
OPTIONAL_HEADER = FILE_HEADER + 20
OS_MAJOR, SUBSYSTEM_MAJOR, SUBSYSTEM_MINOR = 40, 48, 50
DIRECTORIES = {32: 96, 64: 112}
DOS_HEADER_SIZE = 0x40
DELAY_DESCRIPTOR_SIZE = 32
DELAY_ATTRIBUTES_RVA = 1        # the descriptor holds RVAs, not addresses
THUNK_SIZE = {32: 4, 64: 8}


def shipped(name):
    return os.path.join(SHIPPED_DIR, name)


def expected_binaries():
    return [(n, b) for n, b in ic.SHIPPED if b == 32 or WITH_WIN64]


class Copy:
    """The bytes of a shipped binary, to be planted and checked as a copy."""

    def __init__(self, test, name):
        self.name, self.bits = name, ic.bits_of(name)
        with open(shipped(name), "rb") as f:
            self.bytes = bytearray(f.read())
        self.image = ic.read_image(shipped(name), self.bits)
        self.path = os.path.join(test.folder, name)
        self.pe = struct.unpack_from("<I", self.bytes, E_LFANEW)[0]
        self.optional = self.pe + OPTIONAL_HEADER
        self.sections = sections(shipped(name), self.bits, self.image.image_base)

    def offset(self, rva):
        for start, size, file_offset in self.sections:
            if start <= rva < start + size:
                return file_offset + rva - start
        raise AssertionError(f"RVA {rva:#x} is in no section of {self.name}")

    def put16(self, offset, value):
        struct.pack_into("<H", self.bytes, offset, value)

    def put32(self, offset, value):
        struct.pack_into("<I", self.bytes, offset, value)

    def put_name(self, rva, room, name):
        """Overwrites a NUL-terminated string in place with a name no longer than it."""
        assert len(name) <= room, (name, room)
        at = self.offset(rva)
        self.bytes[at:at + room] = name.encode().ljust(room, b"\0")

    def directory(self, index):
        return self.optional + DIRECTORIES[self.bits] + 8 * index

    def import_with_room(self, dll, length):
        """An import by name from dll whose name is at least length long."""
        for imp in self.image.imports:
            if imp.ordinal is None and imp.dll.lower() == dll.lower() and len(imp.name) >= length:
                return imp
        raise AssertionError(f"no import of {self.name} from {dll} has room for {length} characters")

    def check(self, old):
        with open(self.path, "wb") as f:
            f.write(self.bytes)
        return ic.check_file(self.path, self.bits, old)[1]


def sections(path, bits, image_base):
    """(RVA, size, file offset) of each section, from objdump -h."""
    out = subprocess.run([ic.OBJDUMP[bits], "-h", path], capture_output=True, text=True, check=True).stdout
    found = []
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 7 and fields[0].isdigit():
            found.append((int(fields[3], 16) - image_base, int(fields[2], 16), int(fields[5], 16)))
    return found


def reports(found, dll, function, reason_part):
    return any(f.dll.lower() == dll.lower() and f.function == function and reason_part in f.reason for f in found)


def reports_image(found, reason_part):
    return any(not f.dll and reason_part in f.reason for f in found)


def report(name, found):
    return "".join(f"  {f.describe(name)}\n" for f in found)


class CheckCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.old = ic.read_list(ic.DEFAULT_LIST)

    def setUp(self):
        self.assertTrue(SHIPPED_DIR, "VARNEL_SHIPPED_DIR names no folder")
        self.folder = tempfile.mkdtemp(prefix="import-check-")
        self.addCleanup(shutil.rmtree, self.folder)


class ShippedBinaries(CheckCase):
    def test_each_needs_nothing_windows_95_or_nt4_lacks(self):
        for name, bits in expected_binaries():
            with self.subTest(name):
                image, found = ic.check_file(shipped(name), bits, self.old)
                # A parse that found no KERNEL32 imports read nothing at all.
                self.assertTrue(any(i.dll.lower() == "kernel32.dll" for i in image.imports),
                                f"{name}: no KERNEL32 import read")
                self.assertEqual([], found, f"{name} needs what Windows 95 or NT 4.0 lacks:\n" + report(name, found))

    def test_the_command_line_agrees(self):
        paths = [shipped(n) for n, _ in expected_binaries()]
        done = subprocess.run([sys.executable, ic.__file__] + paths, capture_output=True, text=True)
        self.assertEqual((0, ""), (done.returncode, done.stdout))


class TheList(unittest.TestCase):
    LACKING = [("KERNEL32.dll", f) for f in (
        "GetModuleHandleExA", "GetModuleHandleExW", "AttachConsole", "GetTickCount64",
        "AddVectoredExceptionHandler", "RemoveVectoredExceptionHandler", "TryEnterCriticalSection",
        "IsDebuggerPresent", "GetHandleInformation", "SetProcessAffinityMask", "InterlockedCompareExchange",
        "InterlockedCompareExchangePointer", "GetFileAttributesExA", "SwitchToThread")] + [
        ("GDI32.dll", "SetDCBrushColor"), ("GDI32.dll", "SetDCPenColor")] + [("USER32.dll", f) for f in (
            "GetAncestor", "GetTitleBarInfo", "GetWindowInfo", "GetComboBoxInfo", "GetScrollBarInfo",
            "AnimateWindow", "SetLayeredWindowAttributes", "UpdateLayeredWindow", "GetLayeredWindowAttributes",
            "PrintWindow", "MonitorFromWindow", "MonitorFromPoint", "MonitorFromRect", "GetMonitorInfoA",
            "GetMonitorInfoW", "EnumDisplayMonitors", "TrackMouseEvent", "FlashWindowEx", "GetMenuInfo",
            "SetMenuInfo")] + [("COMCTL32.dll", "InitCommonControlsEx")]

    def test_names_what_the_old_systems_are_known_to_lack(self):
        old = ic.read_list(ic.DEFAULT_LIST)
        for dll, function in self.LACKING:
            self.assertIsNotNone(old.find(old.lacking, dll, function), f"{dll}!{function} not listed")
        self.assertIsNotNone(old.find(old.stubs, "KERNEL32.dll", "MoveFileExA"))
        self.assertIsNone(old.find(old.tolerated, "KERNEL32.dll", "MoveFileExA"))
        for dll in ("msimg32.dll", "uxtheme.dll", "dwmapi.dll"):
            self.assertIn(dll, old.missing_dlls)
        # The engine's W window functions exist on 95 (as stubs) and are
        # called only on the NT family: listing them would forbid what is sound.
        for w in ("SetWindowLongW", "CallWindowProcW", "DefWindowProcW", "DrawTextW", "SendMessageW",
                  "IsWindowUnicode"):
            self.assertIsNone(old.find(old.lacking, "USER32.dll", w) or old.find(old.stubs, "USER32.dll", w), w)
        # Later runtimes' exports must never be allowed.
        for newer in ("_chkesp", "_mbcasemap", "_ctime64", "___lc_codepage_func", "__iob_func", "_wassert"):
            self.assertNotIn(newer, old.msvcrt)

    def test_a_line_it_cannot_take_stops_the_check(self):
        with tempfile.TemporaryDirectory() as d:
            for text, message in (("lacking KERNEL32.dll SwitchToThread\n", "says nothing of when SwitchToThread"),
                                  ("missing\n", "no library named"), ("msvcrt\n", "without names"),
                                  ("lacks a b c\n", 'unknown kind "lacks"')):
                path = os.path.join(d, "list.txt")
                with open(path, "w") as f:
                    f.write("# fine\n\n" + text)
                with self.assertRaises(ic.ReadError) as caught:
                    ic.read_list(path)
                self.assertIn(f"{path}:3: ", str(caught.exception))
                self.assertIn(message, str(caught.exception))


class PlantedFault(CheckCase):
    def test_every_shipped_binary_takes_a_listed_function_in_place_of_one_of_its_imports(self):
        for name, _ in expected_binaries():
            with self.subTest(name):
                c = Copy(self, name)
                # The first listed function that fits over one of the copy's
                # own imports from the same library.
                target = planted = None
                for dll in sorted(self.old.lacking):
                    for function in sorted(self.old.lacking[dll]):
                        target = next((i for i in c.image.imports if i.ordinal is None and i.dll.lower() == dll
                                       and len(i.name) >= len(function)), None)
                        if target:
                            planted = function
                            break
                    if planted:
                        break
                self.assertIsNotNone(planted, f"no import of {name} has room for a listed name")
                c.put_name(target.member_rva + 2, len(target.name), planted)
                found = c.check(self.old)
                self.assertTrue(reports(found, target.dll, planted, "not on Windows 95 or NT 4.0"),
                                f"{planted} planted over {target.name}, found:\n" + report(name, found))

    def test_a_stub_that_fails_on_9x_is_reported_unless_tolerated(self):
        c = Copy(self, "vlplug.dll")
        target = c.import_with_room("KERNEL32.dll", len("MoveFileExA"))
        c.put_name(target.member_rva + 2, len(target.name), "MoveFileExA")
        found = c.check(self.old)
        self.assertTrue(reports(found, "KERNEL32.dll", "MoveFileExA", "fails on Windows 95/98/ME"),
                        report(c.name, found))
        c = Copy(self, "vlplug.dll")
        target = c.import_with_room("KERNEL32.dll", len("GetModuleHandleW"))
        c.put_name(target.member_rva + 2, len(target.name), "GetModuleHandleW")
        found = c.check(self.old)
        self.assertFalse(reports(found, "KERNEL32.dll", "GetModuleHandleW", ""), report(c.name, found))
        self.assertIn("GetModuleHandleW", [i.name for i in ic.read_image(c.path, 32).imports])

    def test_a_library_the_old_systems_lack_or_nobody_knows_is_reported(self):
        for planted, function, reason in (("dwmapi.dll", None, "library missing"),
                                          ("nosuch.dll", "", "not known to exist")):
            c = Copy(self, "vlplug.dll")
            user32 = c.import_with_room("USER32.dll", 0)
            c.put_name(user32.dll_name_rva, len(user32.dll), planted)
            found = c.check(self.old)
            self.assertTrue(reports(found, planted, user32.name if function is None else function, reason),
                            report(c.name, found))

    def test_an_msvcrt_function_of_a_later_runtime_is_reported_with_how_to_verify_it(self):
        c = Copy(self, "varnel.dll")
        # _chkesp came with Visual C++ 6.0's msvcrt.
        target = c.import_with_room("msvcrt.dll", len("_chkesp"))
        c.put_name(target.member_rva + 2, len(target.name), "_chkesp")
        found = c.check(self.old)
        self.assertTrue(reports(found, "msvcrt.dll", "_chkesp", "msvcrt.def.in"), report(c.name, found))

    def test_an_import_by_ordinal_is_reported_in_either_bitness(self):
        ordinal = 17
        for name in ("vlplug.dll", "vlplug64.dll") if WITH_WIN64 else ("vlplug.dll",):
            with self.subTest(name):
                c = Copy(self, name)
                target = c.import_with_room("KERNEL32.dll", 0)
                at = c.offset(target.table_rva + THUNK_SIZE[c.bits] * target.index)
                struct.pack_into("<Q" if c.bits == 64 else "<I", c.bytes, at, ic.ORDINAL_FLAG[c.bits] | ordinal)
                found = c.check(self.old)
                self.assertTrue(reports(found, target.dll, "#17", "by ordinal"), report(c.name, found))

    def test_a_tls_directory_in_a_dll_is_reported_and_its_absence_is_not(self):
        c = Copy(self, "vlplug.dll")
        self.assertTrue(c.image.is_dll)
        entry = c.directory(ic.TLS_DIRECTORY)
        c.put32(entry, 0)
        c.put32(entry + 4, 0)
        found = c.check(self.old)
        self.assertFalse(reports_image(found, "TLS directory"), report(c.name, found))
        some_rva, tls_directory_size = 0x1000, 24
        c.put32(entry, some_rva)
        c.put32(entry + 4, tls_directory_size)
        found = c.check(self.old)
        self.assertTrue(reports_image(found, "TLS directory"), report(c.name, found))
        # An EXE may have one: Windows 95 loads those (and the shipped ones do).
        c = Copy(self, "vlload.exe")
        self.assertFalse(c.image.is_dll)
        self.assertNotEqual((0, 0), c.image.directory(ic.TLS_DIRECTORY))
        found = c.check(self.old)
        self.assertFalse(reports_image(found, "TLS directory"), report(c.name, found))

    def test_versions_above_4_and_other_machines_are_reported(self):
        windows_2000, above_nt4 = 5, 1
        for offset, value, reason in ((SUBSYSTEM_MAJOR, windows_2000, "subsystem version 5.0 is above 4.0"),
                                      (OS_MAJOR, windows_2000, "OS version 5.0 is above 4.0"),
                                      (SUBSYSTEM_MINOR, above_nt4, "subsystem version 4.1")):
            c = Copy(self, "vlload.exe")
            c.put16(c.optional + offset, value)
            self.assertTrue(reports_image(c.check(self.old), reason), reason)
        c = Copy(self, "vlload.exe")
        self.assertFalse(reports_image(c.check(self.old), "machine"))
        machine_amd64 = 0x8664
        c.put16(c.pe + FILE_HEADER, machine_amd64)
        with self.assertRaises(ic.ReadError) as caught:
            c.check(self.old)
        self.assertIn("not a readable i386 PE image", str(caught.exception))

    def test_delay_loaded_imports_are_refused_in_either_form(self):
        """A delay import descriptor written over the DOS stub, which the
        loader maps with the headers: it names KERNEL32 again and shares its
        name table. Both forms of the descriptor: RVAs, and the addresses the
        oldest delay-load helpers used."""
        for rva_form in (True, False):
            with self.subTest("RVA form" if rva_form else "address form"):
                c = Copy(self, "vlplug.dll")
                self.assertGreaterEqual(c.pe, DOS_HEADER_SIZE + 2 * DELAY_DESCRIPTOR_SIZE)
                target = c.import_with_room("KERNEL32.dll", len("SwitchToThread"))
                base = 0 if rva_form else c.image.image_base
                d = DOS_HEADER_SIZE
                c.bytes[d:d + 2 * DELAY_DESCRIPTOR_SIZE] = bytes(2 * DELAY_DESCRIPTOR_SIZE)
                c.put32(d, DELAY_ATTRIBUTES_RVA if rva_form else 0)
                c.put32(d + 4, target.dll_name_rva + base)
                c.put32(d + 16, target.table_rva + base)
                c.put32(c.directory(ic.DELAY_IMPORT_DIRECTORY), d)
                c.put32(c.directory(ic.DELAY_IMPORT_DIRECTORY) + 4, 2 * DELAY_DESCRIPTOR_SIZE)
                c.put_name(target.member_rva + 2, len(target.name), "SwitchToThread")
                found = c.check(self.old)
                self.assertTrue(reports_image(found, "delay-loaded imports"), report(c.name, found))


class CorruptFile(CheckCase):
    def test_truncated_anywhere_before_the_last_import_is_a_clear_failure(self):
        c = Copy(self, "vlplug.dll")
        # The end of the last byte of the import tables' names.
        needed = max(max(c.offset(i.member_rva) + 2 + len(i.name) + 1, c.offset(i.dll_name_rva) + len(i.dll) + 1)
                     for i in c.image.imports)
        self.assertLessEqual(needed, len(c.bytes))
        whole = bytes(c.bytes)
        step = 61
        for length in range(0, needed, step):
            c.bytes = bytearray(whole[:length])
            with self.assertRaises(ic.ReadError, msg=f"read although cut at {length}") as caught:
                c.check(self.old)
            self.assertIn("not a readable i386 PE image: ", str(caught.exception))
            self.assertGreater(len(str(caught.exception)), len("not a readable i386 PE image: "))

    def test_every_header_word_set_to_all_ones_is_read_or_refused_with_a_reason(self):
        c = Copy(self, "varnel.dll")
        whole = bytes(c.bytes)
        header_bytes = 1024
        for at in range(0, min(header_bytes, len(whole)) - 3, 4):
            c.bytes = bytearray(whole)
            c.bytes[at:at + 4] = b"\xff" * 4
            try:
                c.check(self.old)
            except ic.ReadError as e:
                self.assertTrue(str(e), f"no reason given at {at}")
        c.bytes = bytearray(whole)
        c.bytes[0:1] = b"Z"
        with self.assertRaises(ic.ReadError):
            c.check(self.old)


if __name__ == "__main__":
    unittest.main()
