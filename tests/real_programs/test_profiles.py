"""What each profile sets, from vlconf's table for scripts."""
import unittest

from real_programs import profiles

# Rows as "vlconf reference --tsv" prints them: position, name, kind and
# nine more fields; position 17 has no name.
def row(position, name, kind):
    return "\t".join([str(position), name, kind] + ["x"] * 9)


TSV = "\n".join([
    "position\tname\tkind\tdefault\ta\tb\tc\td\te\tf\tg\th",
    row(1, "gradientSteps", "byte"),
    row(2, "solidInactiveCaption", "flag:2"),
    row(3, "animationDelay", "byte"),
    row(17, "-", "byte"),
    row(18, "skinName", "text"),
    "4\tshortRow\tbyte",
])


class SettingKinds(unittest.TestCase):
    def test_named_rows_of_the_table_only(self):
        self.assertEqual([("gradientSteps", "byte"), ("solidInactiveCaption", "flag:2"),
                          ("animationDelay", "byte"), ("skinName", "text")], profiles.setting_kinds(TSV))


class RandomProfiles(unittest.TestCase):
    def test_a_seed_repeats_its_values_within_their_ranges(self):
        kinds = profiles.setting_kinds(TSV)
        first = profiles.random_assignments(123, kinds)
        self.assertEqual(first, profiles.random_assignments(123, kinds))
        names = [a.split("=")[0] for a in first]
        # Text settings are left alone; the two markers come last.
        self.assertEqual(["gradientSteps", "solidInactiveCaption", "animationDelay",
                          "marker:vlprog.ini", "marker:vlplug.ini"], names)
        values = {}
        for seed in range(200):
            for a in profiles.random_assignments(seed, kinds):
                name, value = a.split("=")
                values.setdefault(name, set()).add(value)
        self.assertEqual({"on", "off"}, values["solidInactiveCaption"])
        self.assertEqual({"0", "1"}, values["marker:vlplug.ini"])
        delays = {int(v) for v in values["animationDelay"]}
        self.assertLessEqual(max(delays), profiles.RANDOM_MAX_ANIMATION_DELAY)
        self.assertGreater(max(int(v) for v in values["gradientSteps"]), profiles.RANDOM_MAX_ANIMATION_DELAY)
        self.assertLess(max(int(v) for v in values["gradientSteps"]), 256)
        self.assertNotEqual(first, profiles.random_assignments(124, kinds))


class ProfileSettings(unittest.TestCase):
    SHOWCASE = ["gradientSteps=32", "skinMdiChildren=on"]

    def test_each_profile_kind(self):
        self.assertEqual([], profiles.profile_assignments("baseline", self.SHOWCASE, []))
        self.assertEqual(self.SHOWCASE, profiles.profile_assignments("showcase", self.SHOWCASE, []))
        self.assertEqual(self.SHOWCASE + ["macButtons=on"],
                         profiles.profile_assignments("striped", self.SHOWCASE, []))
        kinds = profiles.setting_kinds(TSV)
        self.assertEqual(profiles.random_assignments(55, kinds),
                         profiles.profile_assignments("random-55", self.SHOWCASE, kinds))

    def test_markers_set_to_one_are_made_and_the_rest_are_settings(self):
        s = profiles.split_markers(["a=1", "marker:vlprog.ini=1", "marker:vlplug.ini=0", "b=off"])
        self.assertEqual(["a=1", "b=off"], s.assignments)
        self.assertEqual(["vlprog.ini"], s.markers)

    def test_summary_of_the_settings_log(self):
        log = ("marker vlplug.ini present\nwrote the engine's defaults to C:\\windows\\varnels\\vl.ini\n"
               "gradientSteps: 0 -> 32\nmacButtons: off -> on\n")
        self.assertEqual("vlplug.ini gradientSteps: 0->32 macButtons: off->on", profiles.settings_summary(log))


if __name__ == "__main__":
    unittest.main()
