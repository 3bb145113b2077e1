"""The request count of bench trace's stretches, on traces written here in
the wineserver's -d1 format."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import trace_requests  # noqa: E402

BEGIN = '0024: create_event( access=001f0003, objattr={rootdir=0000,name=L"varnel-bench-begin-%s-%d"} )'
END = '0024: create_event( access=001f0003, objattr={rootdir=0000,name=L"varnel-bench-end-%s"} )'


class StretchCounts(unittest.TestCase):
    def test_requests_of_the_marking_thread_only(self):
        trace = [
            "0024: get_process_info( handle=ffffffff )",  # before any stretch
            BEGIN % ("message-no-hooks", 2),
            "0024: create_event() = 0 { handle=0034 }",  # a reply, not a request
            "0024: close_handle( handle=0034 )",
            "0024: send_message( id=0024, type=0, flags=0 )",
            "0030: send_message( id=0030, type=0, flags=0 )",  # another thread
            "0024: get_message( flags=0 )",
            "0024: send_message( id=0024, type=0, flags=0 )",
            "0024: get_message( flags=0 )",
            END % "message-no-hooks",
            "0024: send_message( id=0024, type=0, flags=0 )",  # after it
        ]
        (stretch,) = list(trace_requests.stretches(trace))
        self.assertEqual(("message-no-hooks", 2, 5), (stretch.name, stretch.count, stretch.requests))
        self.assertEqual(["| message-no-hooks | 2.00 |"], trace_requests.table_rows(trace))

    def test_several_stretches_and_one_left_open(self):
        trace = [BEGIN % ("part-bitblt", 3)] + ["0024: bitblt_stub( x=1 )"] * 7 + [END % "part-bitblt"]
        trace += [BEGIN.replace("0024", "0028") % ("part-drawtext", 2)] + ["0028: draw( x=1 )"] * 5
        trace += ["0024: draw( x=1 )", END % "part-drawtext"]
        trace += [BEGIN % ("paint-repaintcaption", 1), "0024: get_window_rectangles( handle=0 )"]
        rows = trace_requests.table_rows(trace)
        self.assertEqual(["| part-bitblt | 2.00 |", "| part-drawtext | 2.00 |"], rows)

    def test_a_name_with_dashes_keeps_them_and_fractions_round(self):
        trace = [BEGIN % ("message-varnel-hooks-and-subclass", 3)] + ["0024: x_y( )"] * 3 + [
            "0024: reply_only()", END % "message-varnel-hooks-and-subclass"]
        self.assertEqual(["| message-varnel-hooks-and-subclass | 0.67 |"], trace_requests.table_rows(trace))

    def test_a_zero_count_is_not_divided_by(self):
        self.assertEqual([], trace_requests.table_rows([BEGIN % ("odd", 0), END % "odd"]))

    def test_command_line_reads_bytes_of_any_code_page(self):
        with tempfile.NamedTemporaryFile("wb", suffix=".log", delete=False) as log:
            log.write((BEGIN % ("part-drawtext", 1) + "\n").encode())
            log.write(b'0024: set_window_text( text=L"\xe9\xff" )\n0024: a_b( )\n')
            log.write((END % "part-drawtext" + "\n").encode())
        try:
            out = subprocess.run([sys.executable, trace_requests.__file__, log.name],
                                 capture_output=True, text=True, check=True).stdout
        finally:
            os.unlink(log.name)
        self.assertEqual("| part-drawtext | 1.00 |\n", out)


if __name__ == "__main__":
    unittest.main()
