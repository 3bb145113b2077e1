"""The command line of scripts/real-programs: what each size of run drives,
and the profiles it expands to."""
import random
import unittest

from real_programs import options


class RunSizes(unittest.TestCase):
    def test_small_run(self):
        o = options.parse(["--small"])
        self.assertEqual(["notepad", "regedit", "winemine"], o.programs)
        self.assertEqual(["baseline", "showcase", "striped"], o.profiles)
        self.assertEqual((8.0, options.SMALL_STEPS, False), (o.seconds, o.steps, o.repeat_rounds))
        self.assertTrue(o.build)

    def test_full_run_draws_three_seeds_the_same_generator_repeats(self):
        o = options.parse([], random.Random(7))
        self.assertEqual(10, len(o.programs))
        self.assertEqual(3, len(o.seeds))
        self.assertEqual(["baseline", "showcase", "striped"] + [f"random-{s}" for s in o.seeds], o.profiles)
        self.assertTrue(all(0 <= s < options.SEED_LIMIT for s in o.seeds))
        self.assertEqual(o.seeds, options.parse([], random.Random(7)).seeds)
        self.assertTrue(o.repeat_rounds)
        self.assertEqual((25.0, options.FULL_STEPS), (o.seconds, o.steps))

    def test_self_check_overrides_programs_and_profiles_but_not_seconds(self):
        o = options.parse(["--self-check", "--programs", "notepad", "--no-build"])
        self.assertEqual(["planted-crash", "planted-hang", "planted-lost"], o.programs)
        self.assertEqual(["baseline", "showcase"], o.profiles)
        self.assertEqual((3.0, ["roll_up_and_down"], True, False), (o.seconds, o.steps, o.small, o.build))
        self.assertEqual(5.0, options.parse(["--self-check", "--seconds", "5"]).seconds)

    def test_chosen_programs_profiles_seeds_and_seconds(self):
        o = options.parse(["--programs", "clock  taskmgr", "--profiles", "striped random random-9 baseline",
                           "--seeds", "12 34", "--seconds", "2.5"])
        self.assertEqual(["clock", "taskmgr"], o.programs)
        self.assertEqual(["baseline", "striped", "random-12", "random-34", "random-9"], o.profiles)
        self.assertEqual([12, 34], o.seeds)
        self.assertEqual("2.5", options.format_seconds(o.seconds))
        self.assertEqual("8", options.format_seconds(8.0))


class Refusals(unittest.TestCase):
    def assertRefused(self, argv, message):
        with self.assertRaises(options.UsageError) as caught:
            options.parse(argv)
        self.assertEqual(message, str(caught.exception))

    def test_each_refusal_names_its_cause(self):
        self.assertRefused(["--frob"], "unknown argument --frob (--help lists them)")
        self.assertRefused(["--programs", "notepad calc"], "unknown program calc (known: notepad regedit "
                           "winefile wordpad winemine taskmgr control winecfg clock explorer)")
        self.assertRefused(["--profiles", "random-x"], "unknown profile random-x")
        self.assertRefused(["--programs"], "--programs needs a list")
        self.assertRefused(["--seconds", ""], "--seconds needs a number")
        self.assertRefused(["--seconds", "soon"], "--seconds takes a number, not soon")
        self.assertRefused(["--seconds", "0"], "--seconds takes a number above 0")
        self.assertRefused(["--seeds", "1 b"], "--seeds takes whole numbers, not 1 b")

    def test_help(self):
        for flag in ("-h", "--help"):
            with self.assertRaises(options.HelpRequested):
                options.parse(["--small", flag, "--frob"])
        self.assertIn("--self-check", options.USAGE)


if __name__ == "__main__":
    unittest.main()
