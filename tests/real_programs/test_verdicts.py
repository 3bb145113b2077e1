"""Verdicts from the files a drive leaves, and the run's table, summary and
self-check, on logs written here as the probe and the run write them."""
import os
import tempfile
import unittest

from real_programs import verdicts as v


def window(hwnd, height=540, answered="yes", width=700, state="normal", title='"Notepad"'):
    return (f"window pid=332 hwnd={hwnd} answered={answered} x=574 y=50 width={width} height={height} "
            f'state={state} class="Notepad" title={title}')


PROBE = "\n".join(["process pid=332 name=notepad.exe windows=2", window("0x0001008C"),
                   window("0x00010090", 200, title='"Find"'), ""])


class ProbeLines(unittest.TestCase):
    def test_windows_and_processes(self):
        windows = v.parse_probe(PROBE)
        self.assertEqual(["0x0001008C", "0x00010090"], [w.hwnd for w in windows])
        self.assertEqual((True, 700, 200, "normal", "Find"),
                         (windows[1].answered, windows[1].width, windows[1].height, windows[1].state,
                          windows[1].title))
        self.assertEqual(["332", "340"], v.probe_pids(PROBE + "process pid=340 name=x.exe windows=0\nmissing y\n"))

    def test_a_title_with_field_names_in_it_does_not_mislead(self):
        (w,) = v.parse_probe(window("0x10", title='"a height=5 hwnd=0x99"'))
        self.assertEqual(("0x10", 540, "a height=5 hwnd=0x99"), (w.hwnd, w.height, w.title))


class Judging(unittest.TestCase):
    BEFORE = v.parse_probe(PROBE)

    def test_nothing_wrong_is_ok(self):
        j = v.judge(v.Evidence(stderr="fixme:x\n", before_drive=self.BEFORE, after_drive=self.BEFORE,
                               after_stop=self.BEFORE))
        self.assertEqual(("ok", []), (j.verdict, j.reasons))
        self.assertEqual("ok\n", j.file_text())

    def test_crash_outranks_hang_and_names_every_sign(self):
        silent = v.parse_probe(window("0x0001008C", answered="no"))
        j = v.judge(v.Evidence(ended="the process ended during step resize (exit code 3)",
                               stderr="err:x\nwine: Unhandled page fault on read access\nmore page fault\n",
                               crash_dialog="Wine's crash dialog or debugger appeared during step hover",
                               before_drive=silent, after_stop=[]))
        self.assertEqual("crash", j.verdict)
        self.assertEqual(["crash: the process ended during step resize (exit code 3)",
                          "crash: stderr: wine: Unhandled page fault on read access",
                          "crash: Wine's crash dialog or debugger appeared during step hover",
                          'hang: before-drive: window 0x0001008C "Notepad" did not answer WM_NULL within 5 s'],
                         j.reasons)
        self.assertEqual("crash\n" + "\n".join(j.reasons) + "\n", j.file_text())

    def test_a_silent_window_after_the_drive_is_a_hang(self):
        j = v.judge(v.Evidence(before_drive=self.BEFORE,
                               after_drive=v.parse_probe(window("0x00010090", answered="no", title='"Find"')),
                               after_stop=self.BEFORE))
        self.assertEqual(("hang", ['hang: after-drive: window 0x00010090 "Find" did not answer WM_NULL '
                                   'within 5 s']), (j.verdict, j.reasons))

    def test_each_way_a_window_is_lost_after_the_engine_left(self):
        after = v.parse_probe("\n".join([window("0x0001008C", 323), window("0x00010090", 200, answered="no")]))
        j = v.judge(v.Evidence(before_drive=self.BEFORE, after_stop=after))
        self.assertEqual(["lost: window 0x0001008C is 323 pixels high, 540 before the drive (left rolled up)",
                          "lost: window 0x00010090 no longer answers"], j.reasons)
        self.assertEqual("lost", j.verdict)
        # 324 of 540 is 60 %: not rolled up.
        self.assertEqual("ok", v.judge(v.Evidence(before_drive=self.BEFORE, after_stop=v.parse_probe(
            "\n".join([window("0x0001008C", 324), window("0x00010090", 120)])))).verdict)
        gone = v.judge(v.Evidence(before_drive=self.BEFORE, after_stop=v.parse_probe(window("0x00010090", 0))))
        self.assertEqual(["lost: window 0x0001008C is gone", "lost: window 0x00010090 has no size (700x0)"],
                         gone.reasons)
        minimised = v.judge(v.Evidence(before_drive=self.BEFORE[:1], after_stop=v.parse_probe(
            window("0x0001008C", 24, state="minimized"))))
        self.assertEqual(["lost: window 0x0001008C is left minimised"], minimised.reasons)

    def test_no_lost_windows_without_both_probes_or_after_the_process_ended(self):
        self.assertEqual("ok", v.judge(v.Evidence(before_drive=self.BEFORE)).verdict)
        self.assertEqual(["crash: gone"], v.judge(v.Evidence(ended="gone", before_drive=self.BEFORE,
                                                             after_stop=[])).reasons)

    def test_no_window_in_time_is_a_hang_unless_worse_was_found(self):
        j = v.judge(v.Evidence(no_window="hang: no window within 30 s"))
        self.assertEqual(("hang", ["hang: no window within 30 s"]), (j.verdict, j.reasons))
        self.assertEqual("crash", v.judge(v.Evidence(no_window="hang: x", stderr="Unhandled exception")).verdict)

    def test_evidence_is_read_from_the_run_s_files(self):
        with tempfile.TemporaryDirectory() as d:
            files = {"notepad.before-drive": PROBE, "notepad.after-stop": window("0x0001008C", 27) + "\n",
                     "notepad.stderr": "", "notepad.crashdialog": "seen\n\n", "regedit.ended": "x\n"}
            for name, text in files.items():
                with open(os.path.join(d, name), "w") as f:
                    f.write(text)
            e = v.load_evidence(d, "notepad")
            self.assertEqual(("seen", None, None, 2, 1), (e.crash_dialog, e.ended, e.after_drive,
                                                          len(e.before_drive), len(e.after_stop)))
            j = v.judge(e)
            self.assertEqual(["crash: seen", "lost: window 0x0001008C is 27 pixels high, 540 before the drive "
                              "(left rolled up)", "lost: window 0x00010090 is gone"], j.reasons)


class Report(unittest.TestCase):
    PROFILES = ["baseline", "showcase", "random-5"]

    def test_table_cells_and_counts(self):
        verdicts = {("baseline", "notepad"): "ok", ("showcase", "notepad"): "lost", ("random-5", "notepad"): "ok",
                    ("baseline", "clock"): "hang", ("showcase", "clock"): "hang", ("random-5", "clock"): "crash"}
        t = v.table(["notepad", "clock"], self.PROFILES, verdicts, ["random-5"])
        self.assertEqual([
            "program        baseline       showcase       random-5      ",
            "notepad        ok             lost !         ok            ",
            "clock          hang (Wine)    hang (Wine)    crash !       ",
            "(vlload)       -              ok             ended !       ",
            v.LEGEND], t.lines)
        self.assertEqual((3, 1), (t.unexplained, t.explained))

    def test_failure_headings(self):
        self.assertEqual("== clock, baseline: hang (Wine's own fault: no engine was loaded)",
                         v.failure_heading("clock", "baseline", "hang", "hang"))
        self.assertEqual("== clock, striped: hang (explained: the baseline failed the same way)",
                         v.failure_heading("clock", "striped", "hang", "hang"))
        self.assertEqual("== clock, striped: lost (ENGINE FAILURE: the baseline did not fail this way)",
                         v.failure_heading("clock", "striped", "lost", "hang"))

    def test_self_check_wants_each_fault_under_the_engine_only(self):
        planted = {"planted-crash": "crash", "planted-lost": "lost"}
        right = {("baseline", "planted-crash"): "ok", ("showcase", "planted-crash"): "crash",
                 ("baseline", "planted-lost"): "ok", ("showcase", "planted-lost"): "lost"}
        lines, wrong = v.self_check(list(planted), ["baseline", "showcase"], right, planted, False)
        self.assertEqual(0, wrong)
        self.assertEqual("self-check: planted-lost, showcase: lost, as planted", lines[-1])
        bad = dict(right)
        bad[("baseline", "planted-crash")] = "crash"
        bad[("showcase", "planted-lost")] = "ok"
        lines, wrong = v.self_check(list(planted), ["baseline", "showcase"], bad, planted, True)
        self.assertEqual(3, wrong)
        self.assertIn("self-check: planted-crash, baseline: crash instead of ok", lines)
        self.assertIn("self-check: planted-lost, showcase: ok instead of lost", lines)
        self.assertEqual("self-check: the loader ended on its own", lines[-1])

    def test_backtrace_quotes_each_exception_and_what_follows(self):
        text = "\n".join(["a", "Unhandled exception: page fault", "b", "c", "d", "Unhandled exception: x", "e"])
        self.assertEqual(["Unhandled exception: page fault", "b", "--", "Unhandled exception: x", "e"],
                         v.grep_after(text, "^Unhandled exception", 1, 40))
        self.assertEqual(["Unhandled exception: page fault", "b", "c", "d", "Unhandled exception: x", "e"],
                         v.grep_after(text, "^Unhandled exception", 3, 40))
        self.assertEqual(["Unhandled exception: page fault", "b"], v.grep_after(text, "^Unhandled", 3, 2))


if __name__ == "__main__":
    unittest.main()
