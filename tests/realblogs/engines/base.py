"""The engine interface the harness drives, and its form for static site generators."""
import os

from . import common


class Engine:
    """One blog engine with one theme.

    start() builds the blog from the truth's entries and serves it; add_new() adds
    the truth's new entries; both return what the engine itself holds: entries
    (slug, url, title, date in Japan time, categories) and categories (name, url).
    """

    generator = ""
    # False for an engine whose blog cannot hold the truth: its crawl is shown, not counted.
    counted = True

    def __init__(self, name, work, truth, log):
        self.name = name
        self.work = work
        self.truth = truth
        self.log = log
        self.servers = common.Servers()
        self.top = None

    def check_available(self):
        pass

    def start(self):
        raise NotImplementedError

    def add_new(self):
        raise NotImplementedError

    def stop(self):
        self.servers.stop()


class StaticEngine(Engine):
    """A generator whose output folder is served by the harness's file server."""

    def start(self):
        self.public = os.path.join(self.work, "public")
        port = common.serve_folder(self.servers, self.public, self.work, self.log)
        self.base_url = "http://127.0.0.1:%d" % port
        self.top = self.base_url + "/"
        return self.build(self.truth["entries"])

    def add_new(self):
        return self.build(self.truth["entries"] + self.truth["new_entries"])

    def build(self, entries):
        raise NotImplementedError
