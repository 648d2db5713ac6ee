"""Jekyll 4 with its default theme minima, category pages from jekyll-archives."""
import json
import os
import shutil
import subprocess

from . import common
from .base import StaticEngine

JEKYLL_SOURCE = os.path.join(common.HERE, "jekyll")


def yaml_text(text):
    return json.dumps(text, ensure_ascii=False)


class Jekyll(StaticEngine):
    generator = "Jekyll"

    def __init__(self, name, work, truth, log, **kwargs):
        super().__init__(name, work, truth, log)

    def check_available(self):
        if shutil.which("jekyll") is None or shutil.which("ruby") is None:
            raise common.Unavailable("jekyll is not installed (scripts/realblogs installs it)")

    def build(self, entries):
        site = os.path.join(self.work, "site")
        if not os.path.isdir(site):
            shutil.copytree(JEKYLL_SOURCE, site, ignore=shutil.ignore_patterns("build.rb"))
            self.write_config(site)
            with open(os.path.join(site, "index.md"), "w", encoding="utf-8") as f:
                f.write("---\nlayout: home\n---\n")
        posts = os.path.join(site, "_posts")
        common.fresh_folder(posts)
        for entry in entries:
            self.write_post(posts, entry)
        data = subprocess.run(["ruby", os.path.join(JEKYLL_SOURCE, "build.rb"), site, self.public],
                              env=common.engine_env(), stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=600)
        with open(self.log, "ab") as f:
            f.write(data.stderr)
        if data.returncode != 0:
            raise common.EngineError("jekyll failed:\n" + common.tail(self.log))
        result = json.loads(data.stdout)
        result["generator"] = self.generator
        category = next(c for c in result["categories"] if c["name"] == "料理")
        newest = max(result["entries"], key=lambda e: e["date"])
        # minima lists every post on its home page, and jekyll-archives does not paginate.
        result["pages"] = {"top": self.top, "entry": newest["url"], "category": category["url"]}
        result["notes"] = ["minima's home page lists every post on one page; category pages "
                           "(jekyll-archives) have no second page"]
        return result

    def write_config(self, site):
        truth = self.truth
        config = [
            "title: " + yaml_text(truth["title"]),
            "description: " + yaml_text(truth["description"]),
            "lang: ja",
            "url: " + yaml_text(self.base_url),
            'baseurl: ""',
            "timezone: Asia/Tokyo",
            "theme: minima",
            "plugins:",
            "  - jekyll-feed",
            "  - jekyll-seo-tag",
            "  - jekyll-archives",
            "jekyll-archives:",
            "  enabled:",
            "    - categories",
            "  layouts:",
            "    category: category",
            "",
        ]
        with open(os.path.join(site, "_config.yml"), "w", encoding="utf-8") as f:
            f.write("\n".join(config))

    def write_post(self, folder, entry):
        day = entry["date"][:10]
        lines = ["---", "layout: post", "title: " + yaml_text(entry["title"]),
                 "date: %s:00 +0900" % entry["date"]]
        if entry["categories"]:
            lines.append("categories: [%s]" % ", ".join(yaml_text(c) for c in entry["categories"]))
        lines += ["---", "", entry["body"], ""]
        with open(os.path.join(folder, "%s-%s.md" % (day, entry["slug"])), "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
