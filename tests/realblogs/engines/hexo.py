"""Hexo 8 with its standard theme, landscape, from npm; served as static files."""
import json
import os
import shutil
import subprocess

from . import common
from .base import StaticEngine

HEXO_SOURCE = os.path.join(common.HERE, "hexo")


def node_modules():
    return os.path.join(common.cache_dir(), "hexo", "node_modules")


def yaml_text(text):
    # JSON strings are YAML strings: emoji, quotes and < need no more thought.
    return json.dumps(text, ensure_ascii=False)


class Hexo(StaticEngine):
    generator = "Hexo"

    def check_available(self):
        if not os.path.isfile(os.path.join(node_modules(), "hexo", "package.json")):
            raise common.Unavailable("Hexo is not installed in %s (scripts/realblogs installs it)"
                                     % node_modules())
        try:
            version = subprocess.run(["node", "--version"], capture_output=True, text=True).stdout.strip()
        except OSError:
            version = ""
        numbers = tuple(int(n) for n in version.lstrip("v").split(".")[:2] if n.isdigit())
        if numbers < (20, 19):
            raise common.Unavailable("Hexo 8 needs Node.js 20.19 or newer; this machine has %s"
                                     % (version or "none"))

    def build(self, entries):
        site = os.path.join(self.work, "site")
        if not os.path.isdir(site):
            os.makedirs(site)
            with open(os.path.join(HEXO_SOURCE, "package.json"), encoding="utf-8") as f:
                package = json.load(f)
            with open(os.path.join(node_modules(), "hexo", "package.json"), encoding="utf-8") as f:
                # hexo-cli takes a folder for a site only when its package.json says so.
                package["hexo"] = {"version": json.load(f)["version"]}
            common.write_json(os.path.join(site, "package.json"), package)
            os.symlink(node_modules(), os.path.join(site, "node_modules"))
            self.write_config(site)
        posts = os.path.join(site, "source", "_posts")
        common.fresh_folder(posts)
        for entry in entries:
            self.write_post(posts, entry)
        hexo = os.path.join(site, "node_modules", ".bin", "hexo")
        # public/ is served: generate into it without removing the folder itself.
        common.run([hexo, "generate", "--silent"], self.log, cwd=site, env=common.engine_env())
        data = subprocess.run(["node", os.path.join(HEXO_SOURCE, "expected.js")], cwd=site,
                              env=common.engine_env(), stdin=subprocess.DEVNULL, capture_output=True,
                              check=False, timeout=300)
        if data.returncode != 0:
            raise common.EngineError("reading Hexo's posts failed:\n" + data.stderr.decode(errors="replace"))
        result = json.loads(data.stdout)
        result["generator"] = self.generator
        category = next(c for c in result["categories"] if c["name"] == "料理")
        newest = max(result["entries"], key=lambda e: e["date"])
        # Hexo's pagination_dir: the n-th page of a list is its address + page/n/.
        result["pages"] = {"top": self.top, "list-2": self.top + "page/2/", "entry": newest["url"],
                           "category": category["url"], "category-2": category["url"] + "page/2/"}
        return result

    def write_config(self, site):
        truth = self.truth
        config = [
            "title: " + yaml_text(truth["title"]),
            "description: " + yaml_text(truth["description"]),
            "author: Tocwerk",
            "language: ja",
            "timezone: Asia/Tokyo",
            "url: " + self.base_url,
            "permalink: :year/:month/:day/:title/",
            "source_dir: source",
            "public_dir: " + self.public,
            "new_post_name: :title.md",
            "per_page: %d" % truth["per_page"],
            "pagination_dir: page",
            "index_generator:",
            "  path: ''",
            "  per_page: %d" % truth["per_page"],
            "  order_by: -date",
            "category_generator:",
            "  per_page: %d" % truth["per_page"],
            "archive_generator:",
            "  per_page: %d" % truth["per_page"],
            "  yearly: true",
            "  monthly: true",
            "tag_generator:",
            "  per_page: %d" % truth["per_page"],
            "theme: landscape",
            "",
        ]
        with open(os.path.join(site, "_config.yml"), "w", encoding="utf-8") as f:
            f.write("\n".join(config))

    def write_post(self, folder, entry):
        lines = ["---", "title: " + yaml_text(entry["title"]), "date: %s:00" % entry["date"]]
        if entry["categories"]:
            # One list per category: a flat list would make each a child of the one before.
            lines.append("categories:")
            lines += ["  - [%s]" % yaml_text(name) for name in entry["categories"]]
        lines += ["---", "", entry["body"], ""]
        with open(os.path.join(folder, entry["slug"] + ".md"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
