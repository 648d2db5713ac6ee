"""Pelican 4 with one of its bundled themes, from Debian."""
import json
import os
import subprocess

from . import common
from .base import StaticEngine

PELICAN_SOURCE = os.path.join(common.HERE, "pelican")


def themes_dir():
    done = subprocess.run([common.PYTHON, "-c", "import os, pelican; print(os.path.dirname(pelican.__file__))"],
                          capture_output=True, text=True)
    return os.path.join(done.stdout.strip(), "themes") if done.returncode == 0 else None


class Pelican(StaticEngine):
    generator = "Pelican"

    def __init__(self, name, work, truth, log, theme):
        super().__init__(name, work, truth, log)
        self.theme = theme

    def check_available(self):
        themes = themes_dir()
        if themes is None:
            raise common.Unavailable("pelican is not installed (scripts/realblogs installs it)")
        if not os.path.isdir(os.path.join(themes, self.theme)):
            raise common.Unavailable(
                "Pelican's theme %s is not on this machine: Debian's pelican package leaves it out "
                "(non-free files), and no Debian or npm package ships it" % self.theme)

    def build(self, entries):
        site = os.path.join(self.work, "site")
        content = os.path.join(site, "content")
        common.fresh_folder(content)
        for entry in entries:
            self.write_article(content, entry)
        settings = os.path.join(site, "pelicanconf.py")
        self.write_settings(settings, content)
        held = os.path.join(site, "held.json")
        common.run([common.PYTHON, os.path.join(PELICAN_SOURCE, "build.py"), settings, held], self.log,
                   env=common.engine_env())
        result = common.read_json(held)
        result["generator"] = self.generator
        category = next(c for c in result["categories"] if c["name"] == "料理")
        newest = max(result["entries"], key=lambda e: e["date"])
        stem, extension = os.path.splitext(category["url"])
        # Pelican's default pagination pattern: page n of NAME.html is NAMEn.html.
        result["pages"] = {"top": self.top, "list-2": self.top + "index2.html", "entry": newest["url"],
                           "category": category["url"], "category-2": stem + "2" + extension}
        result["notes"] = ["Pelican gives an article one category: an entry of two categories is put in "
                           "its first; an entry of none in Pelican's default category"]
        return result

    def write_settings(self, path, content):
        truth = self.truth
        settings = {
            "AUTHOR": "Tocwerk",
            "SITENAME": truth["title"],
            "SITEURL": self.base_url,
            "PATH": content,
            "OUTPUT_PATH": self.public,
            "THEME": self.theme,
            "TIMEZONE": "Asia/Tokyo",
            "DEFAULT_LANG": "ja",
            "DEFAULT_PAGINATION": truth["per_page"],
            "RELATIVE_URLS": False,
            "DELETE_OUTPUT_DIRECTORY": False,
            "CACHE_CONTENT": False,
        }
        with open(path, "w", encoding="utf-8") as f:
            for key, value in settings.items():
                f.write("%s = %r\n" % (key, value))

    def write_article(self, folder, entry):
        lines = ["Title: " + entry["title"], "Date: " + entry["date"], "Slug: " + entry["slug"]]
        if entry["categories"]:
            lines.append("Category: " + entry["categories"][0])
        lines += ["", entry["body"], ""]
        with open(os.path.join(folder, entry["slug"] + ".md"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
