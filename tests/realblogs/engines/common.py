"""What every engine of the real blog harness shares: the truth, servers, files."""
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PYTHON = "/usr/bin/python3"


class EngineError(Exception):
    """A blog engine could not build or serve its blog."""


class Unavailable(Exception):
    """An engine that this machine cannot have (a theme no registry ships)."""


def load_truth():
    with open(os.path.join(HERE, "truth.json"), encoding="utf-8") as f:
        return json.load(f)


def write_json(path, value):
    with open(path + ".part", "w", encoding="utf-8") as f:
        json.dump(value, f, ensure_ascii=False, indent=1)
        f.write("\n")
    os.replace(path + ".part", path)


def read_json(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def cache_dir():
    base = os.environ.get("XDG_CACHE_HOME") or os.path.join(os.path.expanduser("~"), ".cache")
    return os.path.join(base, "tocwerk-realblogs")


def free_port():
    # A port the kernel just handed out is very unlikely to be taken again at once.
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(cmd, log, cwd=None, env=None, timeout=600):
    """Runs a build step, its output appended to log; raises EngineError on failure."""
    with open(log, "a", encoding="utf-8") as out:
        out.write("$ %s\n" % " ".join(cmd))
        out.flush()
        try:
            done = subprocess.run(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise EngineError("%s took over %d s (log: %s)" % (cmd[0], timeout, log))
    if done.returncode != 0:
        raise EngineError("%s failed with status %d; the end of %s:\n%s"
                          % (os.path.basename(cmd[0]), done.returncode, log, tail(log)))


def tail(path, lines=25):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return "".join(f.readlines()[-lines:])
    except OSError:
        return ""


class Servers:
    """The servers one engine started, each stopped by its own process id."""

    def __init__(self):
        self.processes = []

    def start(self, name, cmd, log, env=None, cwd=None):
        out = open(log, "a", encoding="utf-8")
        # Own session: Ctrl-C reaches the harness, which then stops them in order.
        process = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                   env=env, cwd=cwd, start_new_session=True)
        out.close()
        self.processes.append((name, process))
        return process

    def stop(self):
        while self.processes:
            name, process = self.processes.pop()
            if process.poll() is None:
                os.kill(process.pid, signal.SIGTERM)
                try:
                    process.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    os.kill(process.pid, signal.SIGKILL)
                    process.wait()

    def check(self):
        for name, process in self.processes:
            if process.poll() is not None:
                raise EngineError("%s ended with status %s" % (name, process.returncode))


def wait_for_file(path, process, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if os.path.exists(path):
            return
        if process.poll() is not None:
            raise EngineError("the server ended with status %s before it listened" % process.returncode)
        time.sleep(0.05)
    raise EngineError("the server did not start within %d s" % seconds)


def wait_for_http(url, process, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            raise EngineError("the server ended with status %s before it answered" % process.returncode)
        try:
            with urllib.request.urlopen(url, timeout=5):
                return
        except urllib.error.HTTPError:
            return
        except OSError:
            time.sleep(0.1)
    raise EngineError("%s did not answer within %d s" % (url, seconds))


def serve_folder(servers, folder, work, log):
    """Serves folder statically on 127.0.0.1; returns the port."""
    os.makedirs(folder, exist_ok=True)
    port_file = os.path.join(work, "port")
    if os.path.exists(port_file):
        os.remove(port_file)
    process = servers.start("the file server", [PYTHON, os.path.join(HERE, "serve.py"), folder, port_file],
                            log)
    wait_for_file(port_file, process)
    with open(port_file) as f:
        return int(f.read().strip())


def fresh_folder(path):
    if os.path.lexists(path):
        shutil.rmtree(path)
    os.makedirs(path)


def engine_env(extra=None):
    env = dict(os.environ)
    # The blogs' own settings, not the machine's zone, must put dates in Japan time.
    env["TZ"] = "UTC"
    env["LANG"] = env["LC_ALL"] = "C.UTF-8"
    if extra:
        env.update(extra)
    return env


def log_line(text):
    print(text, flush=True)


def warn(text):
    print(text, file=sys.stderr, flush=True)
