"""Debian's Hugo with the one blog theme published on npm, @gauntface/hugo-theme, over
the theme it is built to extend, @hopin/hugo-base-theme (the way its README installs
them: each package's build/ folder copied into themes/)."""
import csv
import datetime
import html.parser
import io
import json
import os
import shutil
import subprocess
import urllib.parse

from . import common
from .base import StaticEngine

THEMES = (("gauntface", "@gauntface/hugo-theme"), ("hopin-base-theme", "@hopin/hugo-base-theme"))
JAPAN = datetime.timezone(datetime.timedelta(hours=9))


def node_modules():
    return os.path.join(common.cache_dir(), "hugo", "node_modules")


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.hrefs = []

    def handle_starttag(self, tag, attrs):
        if tag == "a":
            self.hrefs += [value for name, value in attrs if name == "href" and value]


class Hugo(StaticEngine):
    generator = "Hugo"
    # The theme prints no date on an entry's page and only the day in lists, so no
    # blog type can read the minute the truth holds: shown, not counted.
    counted = False

    def __init__(self, name, work, truth, log, **kwargs):
        super().__init__(name, work, truth, log)

    def check_available(self):
        if shutil.which("hugo") is None:
            raise common.Unavailable("hugo is not installed (scripts/realblogs installs it)")
        for _, package in THEMES:
            if not os.path.isdir(os.path.join(node_modules(), package, "build")):
                raise common.Unavailable("the Hugo theme %s is not installed in %s (scripts/realblogs installs it)"
                                         % (package, node_modules()))

    def build(self, entries):
        site = os.path.join(self.work, "site")
        if not os.path.isdir(site):
            os.makedirs(os.path.join(site, "themes"))
            for name, package in THEMES:
                shutil.copytree(os.path.join(node_modules(), package, "build"), os.path.join(site, "themes", name))
            self.write_config(site)
        posts = os.path.join(site, "content", "blog")
        common.fresh_folder(posts)
        for entry in entries:
            self.write_post(posts, entry)
        env = common.engine_env({"HUGO_ENVIRONMENT": "production"})
        common.run(["hugo", "--quiet", "--source", site, "--destination", self.public], self.log, env=env)
        listed = subprocess.run(["hugo", "list", "all", "--source", site], env=env, capture_output=True, text=True,
                                stdin=subprocess.DEVNULL)
        if listed.returncode != 0:
            raise common.EngineError("hugo list failed: " + listed.stderr)
        result = {"generator": self.generator, "entries": [], "categories": []}
        by_path = {}
        for row in csv.DictReader(io.StringIO(listed.stdout)):
            date = datetime.datetime.fromisoformat(row["date"]).astimezone(JAPAN)
            entry = {"slug": os.path.splitext(os.path.basename(row["path"]))[0], "url": row["permalink"],
                     "title": row["title"], "date": date.strftime("%Y-%m-%d %H:%M"), "categories": []}
            result["entries"].append(entry)
            by_path[urllib.parse.unquote(urllib.parse.urlsplit(row["permalink"]).path)] = entry
        # Which entries a category holds: the links its generated page lists.
        for category in self.truth["categories"]:
            url = self.top + "categories/" + urllib.parse.quote(category["name"]) + "/"
            page = os.path.join(self.public, "categories", category["name"], "index.html")
            if not os.path.isfile(page):
                continue
            result["categories"].append({"name": category["name"], "url": url})
            links = Links()
            with open(page, encoding="utf-8") as f:
                links.feed(f.read())
            for href in links.hrefs:
                entry = by_path.get(urllib.parse.unquote(urllib.parse.urlsplit(href).path))
                if entry is not None and category["name"] not in entry["categories"]:
                    entry["categories"].append(category["name"])
        category = next(c for c in result["categories"] if c["name"] == "料理")
        newest = max(result["entries"], key=lambda e: e["date"])
        result["pages"] = {"top": self.top, "list": self.top + "blog/", "list-2": self.top + "blog/page/2/",
                           "entry": newest["url"], "category": category["url"]}
        result["notes"] = ["the theme shows the 6 newest entries on the top page and 25 a page under /blog/ "
                           "(its own number); entry pages show no date, lists only the day; category pages "
                           "are one unpaginated list that no page links to"]
        return result

    def write_config(self, site):
        truth = self.truth
        config = [
            "baseURL = %s" % json.dumps(self.top),
            'languageCode = "ja"',
            'defaultContentLanguage = "ja"',
            "hasCJKLanguage = true",
            "title = %s" % json.dumps(truth["title"], ensure_ascii=False),
            'theme = ["gauntface", "hopin-base-theme"]',
            'timeZone = "Asia/Tokyo"',
            "paginate = %d" % truth["per_page"],
            "[taxonomies]",
            'category = "categories"',
            "",
        ]
        with open(os.path.join(site, "config.toml"), "w", encoding="utf-8") as f:
            f.write("\n".join(config))

    def write_post(self, folder, entry):
        lines = ["---", "title: " + json.dumps(entry["title"], ensure_ascii=False),
                 "date: %sT%s:00+09:00" % (entry["date"][:10], entry["date"][11:])]
        if entry["categories"]:
            lines.append("categories: " + json.dumps(entry["categories"], ensure_ascii=False))
        lines += ["---", "", entry["body"], ""]
        with open(os.path.join(folder, entry["slug"] + ".md"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
