#!/usr/bin/python3
"""Tocwerk against blogs made by real blog engines, served on 127.0.0.1.

    realblogs.py [--serve] [--blog-type NAME] [ENGINE...]

Run through scripts/realblogs, which installs the engines first. Each engine
builds the blog of truth.json and writes expected.json beside it; then the built
tocwerk-cli (BUILD_DIR, default build/) crawls it, the engine gets the new
entries, a new-only crawl and a category crawl follow, and the table of contents
is made; compare checks every step. The window's 自動判定 is checked too, by
RealBlogDetectTest in BUILD_DIR/bin/gui_tests (offscreen). With --serve the blogs are only built and
served until Ctrl-C or SIGTERM. --blog-type reads every blog with the blog type NAME
instead of the engine's own.
"""
import html
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.error
import urllib.parse
import urllib.request

# No __pycache__ in the work tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from engines import common  # noqa: E402
from engines.hexo import Hexo  # noqa: E402
from engines.hugo import Hugo  # noqa: E402
from engines.jekyll import Jekyll  # noqa: E402
from engines.pelican import Pelican  # noqa: E402
from engines.wordpress import WordPress  # noqa: E402

REPO = os.path.dirname(os.path.dirname(common.HERE))
PAGES = "/tmp/realblogs-pages"

# name, the engine, its arguments, the blog type Tocwerk should read it with
ENGINES = [
    ("wordpress-2021", WordPress, {"theme": "twentytwentyone"}, "WordPress"),
    ("wordpress-2023", WordPress, {"theme": "twentytwentythree"}, "WordPress"),
    ("hexo", Hexo, {}, "Hexo"),
    ("jekyll", Jekyll, {}, "Jekyll"),
    ("pelican-simple", Pelican, {"theme": "simple"}, "Pelican"),
    ("pelican-notmyidea", Pelican, {"theme": "notmyidea"}, "Pelican"),
    ("hugo", Hugo, {}, "Hugo"),
]


class Stop(Exception):
    """SIGTERM, SIGINT or SIGHUP: stop the servers and end."""


def on_signal(number, frame):
    raise Stop(signal.Signals(number).name)


def say(text):
    print(text, flush=True)


# --- what the engine holds, checked against the truth ------------------------------

def assemble_expected(name, blog_type, top, truth, data, new):
    """expected.json from the engine's own data: URLs as the engine links them,
    titles as it prints them; every difference from the truth is a note."""
    truth_entries = {e["slug"]: e for e in truth["entries"] + (truth["new_entries"] if new else [])}
    new_slugs = {e["slug"] for e in truth["new_entries"]}
    known = {c["name"] for c in truth["categories"]}
    notes = list(data.get("notes", []))
    entries = []
    seen = set()
    for item in data["entries"]:
        slug = item["slug"]
        want = truth_entries.get(slug)
        if want is None:
            raise common.EngineError("the engine holds an entry the truth has not: %r" % slug)
        seen.add(slug)
        if item["date"] != want["date"]:
            raise common.EngineError("%s: the engine dates it %s, the truth %s" % (slug, item["date"], want["date"]))
        if item["title"] != want["title"]:
            notes.append("%s: the engine prints the title %r for %r" % (slug, item["title"], want["title"]))
        categories = [c for c in item["categories"] if c in known]
        if sorted(categories) != sorted(want["categories"]):
            notes.append("%s: the engine puts it in %s, the truth in %s"
                         % (slug, categories or "no category", want["categories"] or "none"))
        # Categories the truth has not (Pelican's misc, WordPress's 未分類) are the blog's own:
        # a blog type may list them, and then their memberships count too.
        extra = [c for c in item["categories"] if c not in known]
        entries.append({"slug": slug, "url": item["url"], "title": item["title"], "date": item["date"],
                        "categories": categories, "extra_categories": extra, "new": slug in new_slugs})
    missing = set(truth_entries) - seen
    if missing:
        raise common.EngineError("the engine lacks entries: %s" % ", ".join(sorted(missing)))
    entries.sort(key=lambda e: e["date"], reverse=True)
    by_name = {c["name"]: c["url"] for c in data["categories"]}
    categories = []
    for category in truth["categories"]:
        if category["name"] in by_name:
            categories.append({"name": category["name"], "url": by_name[category["name"]]})
    extra = [{"name": n, "url": u} for n, u in by_name.items() if n not in known]
    return {"engine": name, "generator": data.get("generator", ""), "blog_type": blog_type, "top": top,
            "categories": categories, "extra_categories": extra, "entries": entries,
            "pages": data.get("pages", {}), "notes": notes}


def fetch(url):
    # Some engines link pages by their raw Unicode names: HTTP wants them percent-encoded.
    url = urllib.parse.quote(url, safe=":/?#[]@!$&'()*+,;=%~")
    request = urllib.request.Request(url, headers={"User-Agent": "tocwerk-realblogs"})
    with urllib.request.urlopen(request, timeout=30) as response:
        return response.status, response.read()


def check_served(expected):
    """Every expected URL answers 200 and its page shows the entry's title."""
    problems = []
    for entry in expected["entries"]:
        try:
            status, body = fetch(entry["url"])
        except (urllib.error.URLError, OSError) as error:
            problems.append("%s: %s: %s" % (entry["slug"], entry["url"], error))
            continue
        text = body.decode("utf-8", errors="replace")
        if entry["title"] not in html.unescape(text):
            problems.append("%s: %s does not show the title %r" % (entry["slug"], entry["url"], entry["title"]))
    for category in expected["categories"]:
        try:
            fetch(category["url"])
        except (urllib.error.URLError, OSError) as error:
            problems.append("category %s: %s: %s" % (category["name"], category["url"], error))
    if problems:
        raise common.EngineError("the served blog does not match what the engine holds:\n  "
                                 + "\n  ".join(problems[:20]))


def save_pages(name, expected):
    folder = os.path.join(PAGES, name)
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    common.write_json(os.path.join(folder, "expected.json"), expected)
    for label, url in expected["pages"].items():
        try:
            _, body = fetch(url)
        except urllib.error.HTTPError as error:
            body = ("HTTP %d for %s\n" % (error.code, url)).encode()
        except OSError as error:
            body = ("%s for %s\n" % (error, url)).encode()
        with open(os.path.join(folder, label + ".html"), "wb") as f:
            f.write(body)
    with open(os.path.join(folder, "urls.txt"), "w", encoding="utf-8") as f:
        for label, url in expected["pages"].items():
            f.write("%s\t%s\n" % (label, url))
    return folder


# --- Tocwerk ------------------------------------------------------------------------

class Cli:
    def __init__(self, binary, work):
        self.binary = binary
        # A settings file that does not exist: defaults, whatever the user set.
        self.config = os.path.join(work, "no-settings.ini")
        self.env = dict(os.environ)
        self.env["TZ"] = "Asia/Tokyo"
        for key in ("no_proxy", "NO_PROXY"):
            self.env[key] = "127.0.0.1,localhost"

    def run(self, args, log, timeout=900):
        cmd = [self.binary, "--config", self.config] + args
        # Blog types being written can be tried without a build.
        if os.environ.get("TOCWERK_DATA_DIR"):
            cmd[1:1] = ["--data-dir", os.environ["TOCWERK_DATA_DIR"]]
        with open(log, "a", encoding="utf-8") as out:
            out.write("$ tocwerk-cli %s\n" % " ".join(args))
            out.flush()
            try:
                done = subprocess.run(cmd, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                                      timeout=timeout)
            except subprocess.TimeoutExpired:
                out.write("(over %d s)\n" % timeout)
                return 124, "", "timed out after %d s" % timeout
            stdout = done.stdout.decode("utf-8", errors="replace")
            stderr = done.stderr.decode("utf-8", errors="replace")
            out.write(stdout + stderr + "(exit %d)\n" % done.returncode)
        return done.returncode, stdout, stderr

    def blog_types(self, log):
        status, out, err = self.run(["list", "blog-types"], log)
        if status != 0:
            raise common.EngineError("tocwerk-cli list blog-types failed: " + err.strip())
        return [line.split("\t", 1)[0] for line in out.splitlines() if line]

    def has_detect(self, log):
        return self.run(["detect", "--help"], log)[0] == 0


def parse_detect(text):
    """The best blog type (the first line's name) and the categories: "NAME<TAB>URL"
    lines after the blank line that ends the list of blog types."""
    types, _, rest = text.partition("\n\n")
    lines = [line for line in types.splitlines() if line.strip()]
    if not lines:
        return "", {}
    categories = {}
    for line in rest.splitlines():
        if "\t" in line:
            name, url = line.split("\t", 1)
            categories[name.strip()] = url.strip()
    return lines[0].split("\t", 1)[0].strip(), categories


class Result:
    def __init__(self, name):
        self.name = name
        self.detected = "-"
        self.window = "-"
        self.entries = "-"
        self.categories = "-"
        self.new_only = "-"
        self.make = "-"
        self.remark = ""
        self.failed = False

    def row(self):
        return [self.name, self.detected, self.window, self.entries, self.categories, self.new_only, self.make, self.remark]


def compare(expected_path, entries_path, name, stage, new, categories, log):
    cmd = [common.PYTHON, os.path.join(common.HERE, "compare"), "--engine", name, "--stage", stage]
    if new:
        cmd.append("--new")
    if not categories:
        cmd.append("--no-categories")
    done = subprocess.run(cmd + [expected_path, entries_path], capture_output=True, text=True)
    lines = done.stdout.splitlines()
    with open(log, "a", encoding="utf-8") as out:
        out.write("compare %s: %s\n" % (stage, "ok" if done.returncode == 0 else "%d problems" % len(lines)))
        out.writelines(line + "\n" for line in lines)
    if done.returncode not in (0, 1):
        lines.append("%s: %s: compare failed: %s" % (name, stage, done.stderr.strip()))
    for line in lines[:8]:
        say("    " + line)
    if len(lines) > 8:
        say("    … %d more in %s" % (len(lines) - 8, log))
    return done.returncode == 0


def entries_json(cli, project, path, log):
    status, out, err = cli.run(["entries", project, "--json"], log)
    if status != 0:
        return False
    with open(path, "w", encoding="utf-8") as f:
        f.write(out)
    return True


def window_check(gui_tests, expected, blog_type, log):
    """The window's 自動判定 on the top page: the blog type it selects and the
    categories it offers; "ok", "FAIL" or why it did not run."""
    if not os.access(gui_tests, os.X_OK):
        return "skipped"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TZ="Asia/Tokyo",
               TOCWERK_REALBLOG_URL=expected["top"], TOCWERK_REALBLOG_TYPE=blog_type,
               TOCWERK_REALBLOG_CATEGORIES=json.dumps([c["name"] for c in expected["categories"]]),
               TOCWERK_REALBLOG_EXTRA_CATEGORIES=json.dumps([c["name"] for c in expected["extra_categories"]]))
    try:
        done = subprocess.run([gui_tests, "--gtest_filter=RealBlogDetectTest.*"], env=env, capture_output=True,
                              text=True, timeout=300)
        status, out = done.returncode, done.stdout + done.stderr
    except subprocess.TimeoutExpired as timeout:
        status, out = -1, "timed out after %d s" % timeout.timeout
    with open(log, "a", encoding="utf-8") as f:
        f.write("gui_tests RealBlogDetectTest: exit %d\n%s\n" % (status, out))
    if status != 0:
        failures = [line for line in out.splitlines() if "Failure" in line or "Expected" in line or "Which is" in line]
        say("  window: " + (" | ".join(failures[:6]) or out.strip()[-300:]))
    return ok_text(status == 0)


def crawl_engine(cli, engine, blog_type, expected, expected_path, result, keep, forced=False, gui_tests=None):
    """The crawl, new-only crawl, category crawl and make steps; fills result. A forced
    blog type (--blog-type) reads the blog whatever detect picks."""
    name = engine.name
    log = os.path.join(keep, "tocwerk.log")
    work = engine.work
    project = os.path.join(work, "blog.proj")
    entries_path = os.path.join(work, "entries.json")
    types = cli.blog_types(log)
    if blog_type not in types:
        result.remark = "blog type %s not found" % blog_type
        say("  blog type %s not found; the crawl is skipped" % blog_type)
        return
    categories = expected["categories"]
    if cli.has_detect(log):
        status, out, err = cli.run(["detect", expected["top"], "--categories"], log)
        found_type, found = parse_detect(out)
        ok = status == 0 and found_type == blog_type
        allowed = {c["name"]: c["url"] for c in expected["categories"] + expected["extra_categories"]}
        for category in categories:
            if category["name"] not in found or not compare_url(found[category["name"]], category["url"]):
                ok = False
        if any(n not in allowed or not compare_url(u, allowed[n]) for n, u in found.items()):
            ok = False
        result.detected = "yes" if ok else "no"
        if not ok:
            say("  detect: expected %s and %s; got %s" % (blog_type, [c["name"] for c in categories],
                                                       (out + err).strip()[:500]))
        # The window reads the blog types beside the program: not those of another data folder.
        own_types = forced or os.environ.get("TOCWERK_DATA_DIR")
        result.window = "skipped" if own_types or not gui_tests else window_check(gui_tests, expected, blog_type, log)
        init = ["init", project, "--url", expected["top"], "--detect"]
        if forced:
            init += ["--blog-type", blog_type]
    else:
        result.detected = "skipped"
        say("  tocwerk-cli has no detect command: the blog type and categories are given")
        init = ["init", project, "--blog-type", blog_type, "--url", expected["top"]]
        for category in categories:
            init += ["--category", "%s=%s" % (category["name"], category["url"])]
    status, out, err = cli.run(init, log)
    if status != 0:
        result.remark = "init failed: " + err.strip()[:200]
        result.failed = True
        return
    started = time.monotonic()
    status, out, err = cli.run(["crawl", project], log)
    say("  crawl: exit %d, %.1f s" % (status, time.monotonic() - started))
    got = status == 0 and entries_json(cli, project, entries_path, log)
    result.entries = ok_text(got and compare(expected_path, entries_path, name, "crawl", False, False, log))
    first_categories = got and compare(expected_path, entries_path, name, "crawl categories", False, True, log)

    data = engine.add_new()
    expected = assemble_expected(name, blog_type, expected["top"], engine.truth, data, True)
    expected["pages"] = json.load(open(expected_path, encoding="utf-8"))["pages"]
    common.write_json(expected_path, expected)
    common.write_json(os.path.join(keep, "expected-after-new.json"), expected)
    check_served(expected)
    status, out, err = cli.run(["crawl", project, "--entries", "--new-only"], log)
    got = status == 0 and entries_json(cli, project, entries_path, log)
    result.new_only = ok_text(got and compare(expected_path, entries_path, name, "new-only crawl", True, False,
                                              log))
    status, out, err = cli.run(["crawl", project, "--categories"], log)
    got = status == 0 and entries_json(cli, project, entries_path, log)
    last_categories = got and compare(expected_path, entries_path, name, "category crawl", True, True, log)
    result.categories = ok_text(first_categories and last_categories)

    toc = os.path.join(keep, "toc.html")
    status, out, err = cli.run(["make", project, toc, "--wait"], log)
    made = status == 0 and os.path.isfile(toc) and os.path.getsize(toc) > 0
    if made:
        text = quotes_unescaped(open(toc, encoding="utf-8", errors="replace").read())
        absent = [e["title"] for e in expected["entries"] if html.escape(e["title"], quote=False) not in text]
        if absent:
            say("    make: the table of contents lacks %d titles, e.g. %r" % (len(absent), absent[0]))
            made = False
    result.make = ok_text(made)
    shutil.copy(entries_path, os.path.join(keep, "entries.json")) if os.path.exists(entries_path) else None
    result.failed = "FAIL" in (result.entries, result.new_only, result.categories, result.make) \
        or result.detected == "no" or result.window == "FAIL"


QUOTE_REFERENCE = re.compile(r"&(#39|#x27|apos|#34|#x22|quot);", re.IGNORECASE)


def quotes_unescaped(text):
    """The text with its quote references as the quotes: a title may be written with
    any of them (&#39; as well as Python's &#x27;), while &, < and > must stay escaped."""
    return QUOTE_REFERENCE.sub(lambda m: "'" if m.group(1).lower() in ("#39", "#x27", "apos") else '"', text)


def compare_url(a, b):
    return urllib.parse.unquote(a) == urllib.parse.unquote(b)


def ok_text(ok):
    return "ok" if ok else "FAIL"


# --- the run --------------------------------------------------------------------------

def start_engine(name, cls, kwargs, blog_type, truth, work):
    """Builds and serves one engine's blog; returns (engine, expected, expected path)."""
    folder = os.path.join(work, name)
    os.makedirs(folder)
    log = os.path.join(folder, "engine.log")
    engine = cls(name, folder, truth, log, **kwargs)
    engine.check_available()
    started = time.monotonic()
    try:
        data = engine.start()
        expected = assemble_expected(name, blog_type, engine.top, truth, data, False)
        expected_path = os.path.join(folder, "expected.json")
        common.write_json(expected_path, expected)
        check_served(expected)
    except BaseException:
        engine.stop()
        raise
    say("  built and served in %.1f s: %s" % (time.monotonic() - started, engine.top))
    return engine, expected, expected_path


def print_table(results):
    header = ["engine", "detected?", "window", "entries ok", "categories ok", "new-only ok", "make ok", ""]
    rows = [header] + [r.row() for r in results]
    widths = [max(len(row[i]) for row in rows) for i in range(len(header) - 1)]
    say("")
    for row in rows:
        say("  ".join(cell.ljust(widths[i]) for i, cell in enumerate(row[:-1])) + ("  " + row[-1] if row[-1] else ""))


def main(argv):
    serve = False
    names = []
    forced_type = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--serve":
            serve = True
        elif arg == "--blog-type" and args:
            forced_type = args.pop(0)
        elif arg in ("-h", "--help"):
            say(__doc__.strip())
            say("\nengines: " + " ".join(e[0] for e in ENGINES))
            return 0
        else:
            names.append(arg)
    table = {e[0]: e for e in ENGINES}
    unknown = [n for n in names if n not in table]
    if unknown:
        common.warn("realblogs: unknown engine %s (engines: %s)" % (", ".join(unknown), " ".join(table)))
        return 2
    chosen = [table[n] for n in names] if names else ENGINES

    build_dir = os.environ.get("BUILD_DIR", "build")
    if not os.path.isabs(build_dir):
        build_dir = os.path.join(REPO, build_dir)
    cli_path = os.path.join(build_dir, "bin", "tocwerk-cli")
    gui_tests = os.path.join(build_dir, "bin", "gui_tests")
    if not serve and not os.access(cli_path, os.X_OK):
        common.warn("realblogs: %s is missing: build Tocwerk first (scripts/setup); this script does not build it"
                    % cli_path)
        return 1

    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, on_signal)
    truth = common.load_truth()
    work = tempfile.mkdtemp(prefix="tocwerk-realblogs-")
    running = []
    results = []
    started = time.monotonic()
    try:
        for name, cls, kwargs, blog_type in chosen:
            blog_type = forced_type or blog_type
            say("%s:" % name)
            result = Result(name)
            results.append(result)
            try:
                engine, expected, expected_path = start_engine(name, cls, kwargs, blog_type, truth, work)
            except common.Unavailable as why:
                result.remark = "skipped: %s" % why
                say("  skipped: %s" % why)
                continue
            except common.EngineError as why:
                result.remark = "engine failed"
                result.failed = True
                say("  the engine failed: %s" % why)
                continue
            except Exception:
                result.remark = "engine failed"
                result.failed = True
                say("  the engine failed:\n" + traceback.format_exc())
                continue
            running.append(engine)
            keep = save_pages(name, expected)
            say("  pages and expected.json: %s" % keep)
            for note in expected["notes"][:4]:
                say("  note: " + note)
            if len(expected["notes"]) > 4:
                say("  … %d more notes in expected.json" % (len(expected["notes"]) - 4))
            if serve:
                continue
            try:
                crawl_engine(Cli(cli_path, engine.work), engine, blog_type, expected, expected_path, result, keep,
                             forced=forced_type is not None, gui_tests=gui_tests)
            except common.EngineError as why:
                result.remark = str(why).splitlines()[0][:120]
                result.failed = True
                say("  failed: %s" % why)
            finally:
                engine.stop()
                running.remove(engine)
            if result.failed and not engine.counted:
                result.failed = False
                result.remark = (result.remark + "; " if result.remark else "") + "not counted: see the notes"
        if serve:
            say("")
            for engine in running:
                say("%-18s %s" % (engine.name, engine.top))
            say("serving; Ctrl-C or SIGTERM stops the servers")
            while True:
                for engine in running:
                    try:
                        engine.servers.check()
                    except common.EngineError as why:
                        common.warn("realblogs: %s: %s" % (engine.name, why))
                        return 1
                time.sleep(1)
    except Stop as why:
        say("realblogs: %s, stopping" % why)
        return 130
    finally:
        for engine in running:
            engine.stop()
        shutil.rmtree(work, ignore_errors=True)
        if not serve and results:
            print_table(results)
            say("%.0f s" % (time.monotonic() - started))
    failed = [r.name for r in results if r.failed]
    if failed:
        say("failed: " + " ".join(failed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
