"""The configuration dialog in the system's language: Japanese labels under a Japanese locale,
English ones under any other, read back from the dialog as it holds them (a label that went
through a code page without its characters would read as question marks). Each dialog's picture
is kept with the artifacts for a person to look at."""

import os

import config
import harness

LOCALES = [
    # (name, environment, labels in template order)
    ("ja", {"LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8"},
     ["図形の数", "：", "角の個数", "：", "線の本数", "：", "スピード", "："]),
    ("en", {"LANG": "en_US.UTF-8", "LC_ALL": "en_US.UTF-8"},
     ["Figures", ":", "Corners", ":", "Trail", ":", "Speed", ":"]),
    ("de", {"LANG": "de_DE.UTF-8", "LC_ALL": "de_DE.UTF-8"},
     ["Figures", ":", "Corners", ":", "Trail", ":", "Speed", ":"]),
]


def labels_by_locale(checks):
    with harness.Scenario("config_labels_by_locale") as s:
        for name, env, labels in LOCALES:
            saver, dialog = config.open_dialog(s, ["/c"], env=env)
            status, output = s.run_wine([s.standin("window_probe.exe"), "labels"])
            checks.expect(status == 0 and output.splitlines() == labels,
                          "%s: the labels read %r (got %r)" % (name, labels, output.splitlines()))
            checks.expect(config.shown(dialog) == ("2", "4", "16", "10"),
                          "%s: the boxes show the defaults" % name)
            artifact = os.path.join(harness.ARTIFACTS_DIR, "config_dialog_%s.png" % name)
            s.screenshot().save_png(artifact, crop=dialog["rect"])
            harness.log("the %s dialog's picture is kept in %s" % (name, artifact))
            s.key("alt+F4")
            checks.expect(s.wait(saver, 30) == 0, "%s: Alt+F4 closes it" % name)
            s.end(saver)


if __name__ == "__main__":
    harness.run({"config_labels_by_locale": labels_by_locale})
