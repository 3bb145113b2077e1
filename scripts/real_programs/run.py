"""The run: the build it needs, the engine installed into the prefix, each
profile's programs started, arranged, driven and judged, and the report.

scripts/real-programs calls it twice: "prepare" (the command line and the
build, before any display or prefix is made) and "run" (in the prefix, on
the display the wrapper made)."""
from __future__ import annotations

import glob
import os
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass, field
from typing import Dict, List, Optional, TextIO, Tuple

from . import geometry, options, profiles, programs, screen, verdicts
from .hands import Hands
from .programs import Program, windows_path
from .steps import Driver, StepLog

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# prepare's exit code when it printed the help and nothing is to be run.
HELP_SHOWN = 3
EXIT_PASS, EXIT_FAIL, EXIT_ERROR = 0, 1, 2

BUILD_TARGETS = ["varnel", "vlload", "vlconf", "skingen", "vlplug", "desktop_keeper", "window_answer_probe",
                 "planted_faults"]
NEEDED = ["varnel.dll", "vlload.exe", "vlconf.exe", "skingen.exe", "vlplug.dll", "fixtures/desktop_keeper.exe",
          "fixtures/window_answer_probe.exe"]
SELF_CHECK_NEEDED = ["fixtures/planted_faults.exe"]

LOADER = r"C:\windows\vlload.exe"
VL_INI_PATH = r"C:\windows\varnels\vl.ini"
WINDOW_WAIT = 30.0          # a program's first window
WINDOW_POLL = 0.2
PROBE_ATTEMPTS = 5          # looks for the Windows process of a program just started
PROBE_RETRY = 0.5
LOADER_START_ATTEMPTS = 50
LOADER_START_POLL = 0.2
# How long the loader may take to end after "vlload /stop" before the run
# ends it and counts it against the profile.
LOADER_END_WAIT = 15.0
LOADER_END_POLL = 0.25
# After "vlload /stop": the engine gives rolled-up windows their height back
# after a pause of a second (two with the plug-in) when it leaves a program.
UNHOOK_SETTLE = 2.0
UNREACHABLE_STEPS = 3       # steps running that cannot reach the window end its drive
SCREENSHOT_SETTLE = 0.5
REAP_WAIT = 10.0            # a Wine process to end with its server
POINTER_PARK = (geometry.SCREEN_WIDTH - 5, geometry.SCREEN_HEIGHT - 5)
# What the failure report quotes of a program's stderr and its backtraces.
STDERR_LINES = 20
BACKTRACE_AFTER = 14
BACKTRACE_LINES = 40


class RunError(Exception):
    """The run itself could not be made."""


def say(text: str) -> None:
    print(f"real-programs: {text}", flush=True)


def exit_code(returncode: int) -> int:
    """A process's exit code as a shell reports it (128 + signal when killed)."""
    return returncode if returncode >= 0 else 128 - returncode


# --- the build ------------------------------------------------------------------

def prepare(opts: options.Options, build_dir: str) -> None:
    if opts.build:
        if subprocess.run([os.path.join(ROOT, "scripts", "setup")]).returncode != 0:
            raise RunError("scripts/setup could not install what is missing")
        configure = ["cmake", "-S", ROOT, "-B", build_dir,
                     f"-DCMAKE_TOOLCHAIN_FILE={ROOT}/cmake/mingw-i686-posix.cmake"]
        if subprocess.run(configure, stdout=subprocess.DEVNULL).returncode != 0:
            raise RunError(f"cmake could not configure {build_dir}")
        build = ["cmake", "--build", build_dir, f"-j{os.cpu_count() or 1}", "--target"] + BUILD_TARGETS
        if subprocess.run(build, stdout=subprocess.DEVNULL).returncode != 0:
            raise RunError(f"the build failed in {build_dir}")
    for name in NEEDED + (SELF_CHECK_NEEDED if opts.self_check else []):
        if not os.path.isfile(os.path.join(build_dir, name)):
            raise RunError(f"{build_dir}/{name} is not built")


# --- Wine -------------------------------------------------------------------------

def wine(*args: str, stdout: int | TextIO = subprocess.DEVNULL, stderr: int | TextIO = subprocess.DEVNULL
         ) -> subprocess.CompletedProcess:
    return subprocess.run(["wine"] + list(args), stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr)


def wine_text(*args: str, with_stderr: bool = False) -> Tuple[int, str]:
    """A program's output without carriage returns; Wine's own messages go
    to standard error and must not become lines of what a script reads."""
    done = subprocess.run(["wine"] + list(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT if with_stderr else subprocess.DEVNULL)
    return done.returncode, done.stdout.decode("utf-8", "replace").replace("\r", "")


def reap(process: subprocess.Popen) -> None:
    try:
        process.wait(timeout=REAP_WAIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def start_wineserver() -> None:
    # A persistent server: many short processes follow.
    subprocess.run(["wineserver", "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_wineserver() -> None:
    subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start_desktop() -> None:
    # wine-env's search for the desktop process complains about processes
    # that end while it looks.
    subprocess.run(["bash", "-c", 'source "$1" && start_desktop', "start_desktop",
                    os.path.join(ROOT, "scripts", "wine-env")], stderr=subprocess.DEVNULL)


def read_text(path: str) -> str:
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def write_text(path: str, text: str, append: bool = False) -> None:
    with open(path, "a" if append else "w", encoding="utf-8") as f:
        f.write(text)


# --- the run's state ----------------------------------------------------------------

@dataclass
class Paths:
    root: str
    build: str
    out: str
    prefix: str
    display: str

    @property
    def windows(self) -> str:
        return os.path.join(self.prefix, "drive_c", "windows")

    @property
    def varnels(self) -> str:
        return os.path.join(self.windows, "varnels")

    @property
    def probe(self) -> str:
        return os.path.join(self.build, "fixtures", "window_answer_probe.exe")

    def vlconf(self) -> str:
        return os.path.join(self.build, "vlconf.exe")

    def logs(self, profile: str) -> str:
        return os.path.join(self.out, "logs", profile)


@dataclass
class Started:
    """One program of a profile: its Unix process and what the run learnt of it."""
    program: Program
    process: subprocess.Popen
    t0: float
    window: Optional[int] = None
    windows_pid: Optional[str] = None

    def alive(self) -> bool:
        return self.process.poll() is None

    def code(self) -> int:
        return exit_code(self.process.wait())


@dataclass
class Run:
    opts: options.Options
    paths: Paths
    chosen: List[Program]
    verdict: Dict[Tuple[str, str], str] = field(default_factory=dict)
    loader: Optional[subprocess.Popen] = None
    showcase: Optional[List[str]] = None
    kinds: Optional[List[Tuple[str, str]]] = None
    profile: str = ""       # the one being run

    # --- installing the engine ---------------------------------------------------

    def install(self) -> None:
        p = self.paths
        # Programs start in C:\, which holds no vl.ini of its own to win over
        # the engine's folder.
        try:
            os.chdir(os.path.join(p.prefix, "drive_c"))
        except OSError:
            raise RunError(f"no drive C: in {p.prefix}") from None
        start_wineserver()
        # Wine's crash dialog waits for a person; without it winedbg writes
        # the backtrace and ends the process, which the verdicts then see.
        if wine("reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD",
                "/d", "0", "/f").returncode != 0:
            raise RunError("could not switch off the crash dialog")
        try:
            os.makedirs(p.varnels, exist_ok=True)
            for name in ("varnel.dll", "vlload.exe"):
                shutil.copy(os.path.join(p.build, name), p.windows)
        except OSError:
            raise RunError(f"could not install the engine into {p.windows}") from None
        for leftover in glob.glob(os.path.join(p.varnels, "*")):
            if os.path.isfile(leftover) or os.path.islink(leftover):
                os.remove(leftover)
        try:
            shutil.copy(os.path.join(p.build, "vlplug.dll"), p.varnels)
        except OSError:
            raise RunError("could not copy vlplug.dll") from None
        if wine(os.path.join(p.build, "skingen.exe"), r"C:\windows\varnels").returncode != 0:
            raise RunError("skingen.exe could not draw the skin bitmaps")
        if not glob.glob(os.path.join(p.varnels, "*.bmp")):
            raise RunError(f"skingen.exe drew no bitmaps into {p.varnels}")
        stop_wineserver()
        shutil.rmtree(os.path.join(p.out, "logs"), ignore_errors=True)
        for png in glob.glob(os.path.join(p.out, "*.png")):
            os.remove(png)
        try:
            os.makedirs(os.path.join(p.out, "logs"), exist_ok=True)
        except OSError:
            raise RunError(f"could not create {p.out}") from None

    # --- settings of the profiles -------------------------------------------------------

    def showcase_assignments(self) -> List[str]:
        """The settings scripts/run shows the engine with and the setup
        program installs, read from packaging/showcase.txt so all show the
        same: NAME=VALUE a line, as vlconf itself reads the file (a line it
        cannot take stops the run instead of being passed over)."""
        if self.showcase is None:
            file = windows_path(os.path.join(self.paths.root, "packaging", "showcase.txt"))
            code, out = wine_text(self.paths.vlconf(), "import", file, "--assignments")
            if code != 0:
                raise RunError("vlconf could not read packaging/showcase.txt: "
                               + wine_text(self.paths.vlconf(), "import", file, "--assignments", with_stderr=True)[1])
            self.showcase = out.splitlines()
            if not out.strip():
                raise RunError("packaging/showcase.txt names no settings")
        return self.showcase

    def setting_kinds(self) -> List[Tuple[str, str]]:
        """Name and kind per setting, from vlconf's table for scripts."""
        if self.kinds is None:
            code, out = wine_text(self.paths.vlconf(), "reference", "--tsv")
            if code != 0:
                raise RunError("vlconf could not print its settings table: "
                               + wine_text(self.paths.vlconf(), "reference", "--tsv", with_stderr=True)[1])
            self.kinds = profiles.setting_kinds(out)
        return self.kinds

    def configure(self, profile: str, log: str) -> bool:
        """Writes the profile's settings (vlconf new, then vlconf set) and
        markers; puts what it set into the profile's log."""
        for name in profiles.PROFILE_FILES:
            path = os.path.join(self.paths.varnels, name)
            if os.path.exists(path):
                os.remove(path)
        if profile == profiles.BASELINE:
            return True
        showcase = self.showcase_assignments() if not profiles.is_random(profile) else []
        kinds = self.setting_kinds() if profiles.is_random(profile) else []
        settings = profiles.split_markers(profiles.profile_assignments(profile, showcase, kinds))
        for marker in settings.markers:
            open(os.path.join(self.paths.varnels, marker), "w").close()
            write_text(log, f"marker {marker} present\n", append=True)
        for args in (["new", VL_INI_PATH, "--force"], ["set"] + settings.assignments + [VL_INI_PATH]):
            code, out = wine_text(self.paths.vlconf(), *args, with_stderr=True)
            write_text(log, out, append=True)
            if code != 0:
                return False
        return os.path.isfile(os.path.join(self.paths.varnels, "vl.ini"))

    # --- the loader -------------------------------------------------------------------------

    def check_loader(self, directory: str, when: str, log: Optional[StepLog]) -> None:
        """The loader must run from its start until "vlload /stop": when it
        ends on its own, the step log of the program at hand says so, and so
        does the profile's loader.ended, which fails the run."""
        if self.loader is None or self.loader.poll() is None:
            return
        code = exit_code(self.loader.returncode)
        if log is not None:
            log(f"the loader (vlload.exe) has ended on its own, exit code {code}")
        write_text(os.path.join(directory, "loader.ended"),
                   f"the loader ended on its own during {when} (exit code {code})\n")
        self.loader = None

    def start_loader(self, directory: str, profile: str) -> None:
        log = open(os.path.join(directory, "vlload.log"), "w")
        self.loader = subprocess.Popen(["wine", LOADER], stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT)
        log.close()
        for _ in range(LOADER_START_ATTEMPTS):
            if wine(LOADER, "/status").returncode == 0:
                return
            time.sleep(LOADER_START_POLL)
        if wine(LOADER, "/status").returncode != 0:
            text = read_text(os.path.join(directory, "vlload.log")).replace("\r", "")
            raise RunError(f"the loader did not start in {profile}: {text}")

    def stop_loader(self, directory: str) -> None:
        ended = os.path.join(directory, "loader.ended")
        with open(os.path.join(directory, "vlload-stop.log"), "w") as stop_log:
            stopped = wine(LOADER, "/stop", stdout=stop_log, stderr=subprocess.STDOUT).returncode == 0
        if not stopped:
            text = read_text(os.path.join(directory, "vlload-stop.log")).replace("\r", "")
            write_text(ended, f"vlload /stop failed: {text}\n")
        # A loader that /stop did not reach would keep the run waiting.
        deadline = time.monotonic() + LOADER_END_WAIT
        while self.loader is not None and self.loader.poll() is None and time.monotonic() < deadline:
            time.sleep(LOADER_END_POLL)
        if self.loader is not None and self.loader.poll() is None:
            write_text(ended, f"the loader had not ended {options.format_seconds(LOADER_END_WAIT)} s after "
                       "vlload /stop: ended by the run\n", append=True)
            self.loader.kill()
        if self.loader is not None:
            self.loader.wait()
        self.loader = None
        time.sleep(UNHOOK_SETTLE)

    # --- one profile -------------------------------------------------------------------------

    def probe(self, target: str) -> str:
        return wine_text(self.paths.probe, target)[1]

    def probe_into(self, windows_pid: str, path: str) -> str:
        text = self.probe(windows_pid)
        write_text(path, text)
        return text

    def start(self, program: Program, directory: str, slot: int, hands: Hands) -> Started:
        """Starts a program and arranges its window: each appears at the top
        left, is made no larger than MAX_WIDTH x MAX_HEIGHT with its sizing
        corner and dragged by its caption into a cascade."""
        log = StepLog(os.path.join(directory, f"{program.name}.steps"), time.monotonic())
        write_text(log.path, "")
        before = verdicts.probe_pids(self.probe(program.image))
        log(f"start {program.exe} {program.args or ''}")
        with open(os.path.join(directory, f"{program.name}.stdout"), "w") as out, \
                open(os.path.join(directory, f"{program.name}.stderr"), "w") as err:
            process = subprocess.Popen(["wine"] + program.command(), stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=err)
        s = Started(program, process, log.t0)
        deadline = time.monotonic() + WINDOW_WAIT
        while time.monotonic() < deadline:
            s.window = screen.main_window(process.pid)
            if s.window is not None or not s.alive():
                break
            time.sleep(WINDOW_POLL)
        if s.window is None:
            if s.alive():
                log(f"no window within {options.format_seconds(WINDOW_WAIT)} s")
                write_text(os.path.join(directory, f"{program.name}.nowindow"),
                           f"hang: no window within {options.format_seconds(WINDOW_WAIT)} s\n")
            else:
                log("the process ended before showing a window")
                write_text(os.path.join(directory, f"{program.name}.ended"),
                           "the process ended before showing a window\n")
            return s
        for attempt in range(PROBE_ATTEMPTS):
            for pid in verdicts.probe_pids(self.probe(program.image)):
                if pid not in before:
                    s.windows_pid = pid
            if s.windows_pid:
                break
            time.sleep(PROBE_RETRY)
        r = screen.window_geometry(s.window) or geometry.Rect(0, 0, 0, 0)
        log(f"window {s.window} at {r.x},{r.y}, {r.size} (Windows process {s.windows_pid or 'unknown'})")
        dx, dy = geometry.shrink_to_fit(r)
        if dx or dy:
            log(f"drag the bottom right corner by {dx},{dy} (arranging)")
            hands.drag(*r.sizing_corner, dx, dy)
            r = screen.window_geometry(s.window) or r
        v = screen.view(s.window)
        if v is not None and v.spot is not None and v.spot.kind == geometry.CAPTION:
            tx, ty = geometry.cascade_slot(slot)
            log(f"drag the caption from {v.spot.x},{v.spot.y} to put the window at {tx},{ty} (arranging)")
            hands.drag(v.spot.x, v.spot.y, tx - v.rect.x, ty - v.rect.y)
            r = screen.window_geometry(s.window) or r
        log(f"arranged at {r.x},{r.y}, {r.size}")
        self.check_loader(directory, f"the start of {program.name}", log)
        return s

    def drive(self, s: Started, started: List[Started], directory: str, hands: Hands) -> None:
        """Drives one program for its time, then takes its picture."""
        name = s.program.name
        log = StepLog(os.path.join(directory, f"{name}.steps"), s.t0)
        if s.windows_pid:
            before = self.probe_into(s.windows_pid, os.path.join(directory, f"{name}.before-drive"))
            windows = verdicts.parse_probe(before)
            listed = "".join(f"{w.hwnd} {w.width}x{w.height} " for w in windows)
            log(f"before the drive: {len(windows)} window(s): {listed}")

        def others() -> List[Tuple[str, int]]:
            me = next(i for i, o in enumerate(started) if o is s)
            turn = [started[(me + i) % len(started)] for i in range(1, len(started))]
            return [(o.program.name, o.window) for o in turn if o.window is not None]

        driver = Driver(s.program, s.process.pid, s.window, log, hands, others)
        steps = driver.steps()
        budget = self.opts.seconds
        rounds = done = unreachable = 0
        ended = False
        log(f"drive for {options.format_seconds(budget)} s")
        start = time.monotonic()
        while time.monotonic() - start < budget and not ended:
            stop = False
            for k in range(len(self.opts.steps)):
                step = self.opts.steps[(k + rounds) % len(self.opts.steps)]
                if time.monotonic() - start >= budget:
                    break
                log(f"[{step}]")
                known = screen.visible_windows(s.process.pid)
                if steps[step]():
                    unreachable = 0
                else:
                    log("  (step could not be done)")
                    unreachable += 1
                done += 1
                if s.alive():
                    driver.tidy(known)
                if not s.alive():
                    code = s.code()
                    log(f"the process ended (exit code {code})")
                    write_text(os.path.join(directory, f"{name}.ended"),
                               f"the process ended during step {step} (exit code {code})\n")
                    ended = stop = True
                    break
                if screen.crash_window_shown():
                    self.note_crash_window(started, directory, name, step, log)
                if unreachable >= UNREACHABLE_STEPS:
                    log(f"the window could not be reached {unreachable} steps running: the drive ends")
                    stop = True
                    break
            if stop:
                break
            rounds += 1
            if not self.opts.repeat_rounds:
                break
        log(f"drive over: {done} steps in {rounds} round(s)")
        self.check_loader(directory, f"the drive of {name}", log)
        if ended:
            return
        driver.to_front()
        hands.move(*POINTER_PARK)
        time.sleep(SCREENSHOT_SETTLE)
        if not screen.screenshot(self.paths.display, os.path.join(self.paths.out, f"{self.profile}-{name}.png")):
            log("could not take the screenshot")
        if s.windows_pid:
            self.probe_into(s.windows_pid, os.path.join(directory, f"{name}.after-drive"))

    def note_crash_window(self, started: List[Started], directory: str, driven: str, step: str,
                          log: StepLog) -> None:
        """The crash is the program's whose process is gone or whose stderr
        names it; the one driven when none is."""
        log("Wine's crash dialog or debugger is on the screen")
        owners = []
        for o in started:
            q = o.program.name
            stderr = read_text(os.path.join(directory, f"{q}.stderr"))
            if not o.alive() or any(verdicts.CRASH_PATTERN.search(l) for l in stderr.splitlines()):
                owners.append(q)
                write_text(os.path.join(directory, f"{q}.crashdialog"),
                           f"Wine's crash dialog or debugger appeared during {driven}'s step {step}\n")
        if not owners:
            write_text(os.path.join(directory, f"{driven}.crashdialog"),
                       f"Wine's crash dialog or debugger appeared during step {step}\n")
        else:
            log("  it is for: " + " ".join(owners))

    def run_profile(self, profile: str) -> None:
        self.profile = profile
        directory = self.paths.logs(profile)
        os.makedirs(directory, exist_ok=True)
        say(f"profile {profile}")
        start_wineserver()
        start_desktop()
        settings_log = os.path.join(directory, "settings.txt")
        if not self.configure(profile, settings_log):
            raise RunError(f"could not write the settings of {profile} (see {settings_log})")
        if profile != profiles.BASELINE:
            say(f"  settings: {profiles.settings_summary(read_text(settings_log))}")
        # winedbg's backtraces of this profile, in a file of its own.
        backtraces = windows_path(os.path.join(directory, "backtraces.txt"))
        debugger = rf'cmd /c C:\windows\system32\winedbg.exe --auto %ld %ld >>"{backtraces}" 2>&1'
        if wine("reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug", "/v", "Debugger",
                "/t", "REG_SZ", "/d", debugger, "/f").returncode != 0:
            raise RunError(f"could not point the debugger at {directory}/backtraces.txt")
        if profile != profiles.BASELINE:
            self.start_loader(directory, profile)

        hands = Hands()
        started: List[Started] = []
        for slot, program in enumerate(self.chosen):
            started.append(self.start(program, directory, slot, hands))
        for s in started:
            if s.window is None:
                continue
            if not s.alive():
                write_text(os.path.join(directory, f"{s.program.name}.ended"),
                           f"the process ended before its drive (exit code {s.code()})\n")
                continue
            self.drive(s, started, directory, hands)

        # All the programs at once, as the drives left them.
        hands.move(*POINTER_PARK)
        screen.screenshot(self.paths.display, os.path.join(self.paths.out, f"{profile}-all.png"))
        if profile != profiles.BASELINE and not os.path.exists(os.path.join(directory, "loader.ended")):
            self.stop_loader(directory)
        for s in started:
            if not s.windows_pid:
                continue
            ended = os.path.join(directory, f"{s.program.name}.ended")
            if s.alive():
                self.probe_into(s.windows_pid, os.path.join(directory, f"{s.program.name}.after-stop"))
            elif not os.path.exists(ended):
                write_text(ended, f"the process ended after its drive (exit code {s.code()})\n")
        stop_wineserver()
        # The server's end takes every process of the prefix with it.
        for process in [s.process for s in started] + ([self.loader] if self.loader else []):
            reap(process)
        self.loader = None
        for program in self.chosen:
            judgement = verdicts.judge(verdicts.load_evidence(directory, program.name))
            write_text(os.path.join(directory, f"{program.name}.verdict"), judgement.file_text())
            self.verdict[(profile, program.name)] = judgement.verdict
            say(f"  {program.name}: {judgement.verdict}")

    # --- the report -------------------------------------------------------------------------------

    def loader_ended(self) -> List[str]:
        return [p for p in self.opts.profiles if os.path.exists(os.path.join(self.paths.logs(p), "loader.ended"))]

    def report(self, started_at: float) -> int:
        names = [p.name for p in self.chosen]
        profile_names = self.opts.profiles
        print()
        t = verdicts.table(names, profile_names, self.verdict, self.loader_ended())
        for line in t.lines:
            print(line)
        for profile in self.loader_ended():
            directory = self.paths.logs(profile)
            print()
            ended = read_text(os.path.join(directory, "loader.ended")).rstrip("\n")
            print(f"== vlload, {profile}: {ended} (ENGINE FAILURE)")
            for line in read_text(os.path.join(directory, "vlload.log")).replace("\r", "").splitlines():
                print("   " + line)
        for profile in profile_names:
            for name in names:
                v = self.verdict[(profile, name)]
                if v == verdicts.OK:
                    continue
                directory = self.paths.logs(profile)
                base = os.path.join(directory, name)
                print()
                print(verdicts.failure_heading(name, profile, v, self.verdict.get(("baseline", name))))
                for line in read_text(f"{base}.verdict").splitlines()[1:]:
                    print("   " + line)
                print(f"   steps ({base}.steps):")
                for line in read_text(f"{base}.steps").splitlines():
                    print("   " + line)
                stderr = read_text(f"{base}.stderr")
                if stderr:
                    print(f"   stderr ({base}.stderr):")
                    for line in stderr.splitlines()[:STDERR_LINES]:
                        print("   " + line)
                backtraces = read_text(os.path.join(directory, "backtraces.txt"))
                if backtraces:
                    print(f"   winedbg ({directory}/backtraces.txt):")
                    for line in verdicts.grep_after(backtraces, "^Unhandled exception", BACKTRACE_AFTER,
                                                    BACKTRACE_LINES):
                        print("   " + line)
        print()
        seeds = " ".join(str(s) for s in self.opts.seeds) or "none"
        say(f"{len(names) * len(profile_names)} runs in {int(time.time() - started_at)} s; random seeds: {seeds}")
        if self.opts.self_check:
            planted = {p.name: p.planted or verdicts.OK for p in self.chosen}
            lines, wrong = verdicts.self_check(names, profile_names, self.verdict, planted,
                                               "showcase" in self.loader_ended())
            for line in lines:
                say(line)
            if wrong:
                say(f"self-check FAIL: {wrong} verdict(s) other than planted")
                return EXIT_FAIL
            say("self-check PASS: every planted fault found, and none without the engine")
            return EXIT_PASS
        if t.unexplained:
            say(f"FAIL: {t.unexplained} failure(s) under the engine that the baseline does not explain")
            return EXIT_FAIL
        say(f"PASS: no failure under the engine that the baseline does not explain ({t.explained} explained by it)")
        return EXIT_PASS


def main(argv: List[str]) -> int:
    sys.stdout.reconfigure(line_buffering=True)  # type: ignore[attr-defined]
    if not argv or argv[0] not in ("prepare", "run"):
        print("usage: python3 -m real_programs prepare|run [OPTIONS]  (scripts/real-programs calls it)",
              file=sys.stderr)
        return EXIT_ERROR
    phase, args = argv[0], argv[1:]
    try:
        opts = options.parse(args)
    except options.HelpRequested:
        if phase == "prepare":
            print(options.USAGE)
        return HELP_SHOWN
    except options.UsageError as e:
        print(f"real-programs: {e}", file=sys.stderr)
        return EXIT_ERROR
    build_dir = os.environ.get("BUILD_DIR") or os.path.join(ROOT, "build-real")
    try:
        if phase == "prepare":
            prepare(opts, build_dir)
            return EXIT_PASS
        if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
            raise RunError("no prefix or display: scripts/real-programs makes them for the run")
        paths = Paths(ROOT, build_dir, os.environ.get("OUT_DIR") or os.path.join(ROOT, "out", "real-programs"),
                      os.environ["WINEPREFIX"], os.environ["DISPLAY"])
        fixture = windows_path(os.path.join(build_dir, "fixtures", "planted_faults.exe"))
        chosen = [programs.with_planted_fixture(programs.BY_NAME[n], fixture) for n in opts.programs]
        run = Run(opts, paths, chosen)
        run.install()
        started_at = time.time()
        say("programs: " + " ".join(opts.programs))
        say("profiles: " + " ".join(opts.profiles))
        say(f"driving {options.format_seconds(opts.seconds)} s per program and profile; output in {paths.out}")
        for profile in opts.profiles:
            run.run_profile(profile)
        return run.report(started_at)
    except RunError as e:
        print(f"real-programs: error: {e}", file=sys.stderr)
        return EXIT_ERROR
