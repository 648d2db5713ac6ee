"""Debian's WordPress 6.1 with one of its default themes, on a private MariaDB and
Apache (mod_php), both bound to 127.0.0.1."""
import glob
import os
import subprocess
import tempfile
import time

from . import common
from .base import Engine

WP_SOURCE = os.path.join(common.HERE, "wordpress")
WP_ROOT = "/usr/share/wordpress"
# Debian's wp-config.php reads /etc/wordpress/config-NAME.php for WORDPRESS_CONFIG=NAME;
# this one hands over to the running blog's own settings file. One a harness process,
# so that two runs at once do not remove each other's.
CONFIG_NAME = "tocwerk-realblogs-%d" % os.getpid()
DEBIAN_CONFIG = "/etc/wordpress/config-%s.php" % CONFIG_NAME
DEBIAN_CONFIG_TEXT = """<?php
// Written by Tocwerk's scripts/realblogs while it serves WordPress; removed when it stops.
require $_SERVER['TOCWERK_WP_SITE'];
"""
ROOT = os.geteuid() == 0
users = 0


def privileged(cmd):
    return cmd if ROOT else ["sudo"] + cmd


def remove_stale_configs():
    """The files of harness runs that were killed before they could remove them."""
    for path in glob.glob("/etc/wordpress/config-tocwerk-realblogs-*.php"):
        pid = path[len("/etc/wordpress/config-tocwerk-realblogs-"):-len(".php")]
        if not pid.isdigit() or os.path.exists("/proc/" + pid):
            continue
        subprocess.run(privileged(["rm", "-f", path]), stdin=subprocess.DEVNULL, capture_output=True)


def add_debian_config():
    global users
    if users == 0:
        remove_stale_configs()
        with tempfile.NamedTemporaryFile("w", suffix=".php", delete=False) as f:
            f.write(DEBIAN_CONFIG_TEXT)
        try:
            done = subprocess.run(privileged(["install", "-m", "644", f.name, DEBIAN_CONFIG]),
                                  stdin=subprocess.DEVNULL, capture_output=True, text=True)
        finally:
            os.remove(f.name)
        if done.returncode != 0:
            raise common.EngineError("cannot write %s (root or sudo needed): %s"
                                     % (DEBIAN_CONFIG, done.stderr.strip()))
    users += 1


def remove_debian_config():
    global users
    users -= 1
    if users == 0:
        subprocess.run(privileged(["rm", "-f", DEBIAN_CONFIG]), stdin=subprocess.DEVNULL)


def php_module():
    found = sorted(glob.glob("/usr/lib/apache2/modules/libphp*.so"))
    return found[-1] if found else None


def program(*names):
    for name in names:
        for folder in ("/usr/sbin", "/usr/bin"):
            if os.access(os.path.join(folder, name), os.X_OK):
                return os.path.join(folder, name)
    return None


class WordPress(Engine):
    generator = "WordPress"

    def __init__(self, name, work, truth, log, theme):
        super().__init__(name, work, truth, log)
        self.theme = theme
        self.configured = False

    def check_available(self):
        missing = [what for what, found in (
            ("wordpress", os.path.isfile(os.path.join(WP_ROOT, "wp-load.php"))),
            ("the theme " + self.theme, os.path.isdir(os.path.join(WP_ROOT, "wp-content", "themes", self.theme))),
            ("mariadb-server", program("mariadbd", "mysqld")),
            ("apache2", program("apache2")),
            ("libapache2-mod-php", php_module()),
            ("php-cli", program("php")),
        ) if not found]
        if missing:
            raise common.Unavailable("not installed: %s (scripts/realblogs installs them)" % ", ".join(missing))

    # --- servers ---------------------------------------------------------------------

    def start_database(self):
        data = os.path.join(self.work, "mysql")
        self.socket = os.path.join(self.work, "mysql.sock")
        self.db_port = common.free_port()
        user = ["--user=root"] if ROOT else []
        common.run([program("mariadb-install-db", "mysql_install_db"), "--no-defaults", "--datadir=" + data,
                    "--auth-root-authentication-method=normal", "--skip-test-db"] + user, self.log,
                   env=common.engine_env())
        server = [program("mariadbd", "mysqld"), "--no-defaults", "--datadir=" + data,
                  "--socket=" + self.socket, "--port=%d" % self.db_port, "--bind-address=127.0.0.1",
                  "--pid-file=" + os.path.join(self.work, "mysql.pid"),
                  "--log-error=" + os.path.join(self.work, "mysql.err"),
                  "--skip-log-bin", "--innodb-buffer-pool-size=32M"] + user
        process = self.servers.start("mariadbd", server, self.log, env=common.engine_env())
        common.wait_for_file(self.socket, process, seconds=60)
        client = program("mariadb", "mysql")
        sql = ("CREATE DATABASE wordpress CHARACTER SET utf8mb4; "
               "CREATE USER 'wordpress'@'127.0.0.1' IDENTIFIED BY 'wordpress'; "
               "GRANT ALL ON wordpress.* TO 'wordpress'@'127.0.0.1';")
        for _ in range(100):
            done = subprocess.run([client, "--no-defaults", "--socket=" + self.socket, "-uroot", "-e", sql],
                                  capture_output=True, text=True, stdin=subprocess.DEVNULL)
            if done.returncode == 0:
                return
            if "Can't connect" not in done.stderr:
                break
            time.sleep(0.1)
        raise common.EngineError("setting up the database failed: " + done.stderr.strip())

    def write_site_settings(self):
        self.site_file = os.path.join(self.work, "site.php")
        keys = "".join("define('%s', 'tocwerk-realblogs-%s');\n" % (k, k.lower()) for k in (
            "AUTH_KEY", "SECURE_AUTH_KEY", "LOGGED_IN_KEY", "NONCE_KEY", "AUTH_SALT", "SECURE_AUTH_SALT",
            "LOGGED_IN_SALT", "NONCE_SALT"))
        text = ("<?php\n"
                "define('DB_NAME', 'wordpress');\n"
                "define('DB_USER', 'wordpress');\n"
                "define('DB_PASSWORD', 'wordpress');\n"
                "define('DB_HOST', '127.0.0.1:%d');\n"
                "define('DB_CHARSET', 'utf8mb4');\n"
                "define('WP_HOME', '%s');\n"
                "define('WP_SITEURL', '%s');\n"
                "define('WPLANG', 'ja');\n"
                # Nothing leaves the machine: no update checks, no cron, no outside HTTP.
                "define('WP_HTTP_BLOCK_EXTERNAL', true);\n"
                "define('DISABLE_WP_CRON', true);\n"
                "define('AUTOMATIC_UPDATER_DISABLED', true);\n"
                "define('WP_DEBUG', false);\n"
                "%s"
                "$table_prefix = 'wp_';\n") % (self.db_port, self.base_url, self.base_url, keys)
        with open(self.site_file, "w", encoding="utf-8") as f:
            f.write(text)
        os.chmod(self.site_file, 0o644)

    def start_apache(self):
        modules = "/usr/lib/apache2/modules"
        conf = os.path.join(self.work, "apache2.conf")
        lines = [
            "ServerRoot /etc/apache2",
            "ServerName 127.0.0.1",
            "Listen 127.0.0.1:%d" % self.port,
            "PidFile %s" % os.path.join(self.work, "apache2.pid"),
            "Mutex file:%s default" % self.work,
            "ErrorLog %s" % os.path.join(self.work, "apache2-error.log"),
            "LogLevel warn",
        ] + ["LoadModule %s_module %s/mod_%s.so" % (m, modules, m)
             for m in ("mpm_prefork", "authz_core", "dir", "mime", "rewrite", "env")] + [
            "LoadModule php_module %s" % php_module(),
            "StartServers 2",
            "MinSpareServers 2",
            "MaxSpareServers 4",
            "MaxRequestWorkers 8",
            "TypesConfig /etc/mime.types",
            "AddDefaultCharset Off",
            "DocumentRoot %s" % WP_ROOT,
            "DirectoryIndex index.php index.html",
            "SetEnv WORDPRESS_CONFIG %s" % CONFIG_NAME,
            "SetEnv TOCWERK_WP_SITE %s" % self.site_file,
            "<FilesMatch \\.php$>",
            "  SetHandler application/x-httpd-php",
            "</FilesMatch>",
            "<Directory />",
            "  Require all denied",
            "  AllowOverride None",
            "</Directory>",
            "<Directory %s>" % WP_ROOT,
            "  Options FollowSymLinks",
            "  Require all granted",
            # WordPress's own rules for pretty permalinks, as its .htaccess would hold them.
            "  RewriteEngine On",
            "  RewriteBase /",
            "  RewriteRule ^index\\.php$ - [L]",
            "  RewriteCond %{REQUEST_FILENAME} !-f",
            "  RewriteCond %{REQUEST_FILENAME} !-d",
            "  RewriteRule . /index.php [L]",
            "</Directory>",
            "<Directory /var/lib/wordpress/wp-content>",
            "  Options FollowSymLinks",
            "  Require all granted",
            "</Directory>",
        ]
        if ROOT:
            # Apache will not serve as root; its workers read this folder as www-data.
            lines += ["User www-data", "Group www-data"]
        with open(conf, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        process = self.servers.start("apache2", [program("apache2"), "-f", conf, "-DFOREGROUND"], self.log,
                                     env=common.engine_env({"APACHE_RUN_DIR": self.work,
                                                            "APACHE_LOG_DIR": self.work}))
        common.wait_for_http(self.top, process)

    # --- WordPress itself ---------------------------------------------------------

    def php(self, command, path):
        env = common.engine_env({"TOCWERK_WP_SITE": self.site_file, "TOCWERK_WP_HOST": "127.0.0.1:%d" % self.port,
                                 "TOCWERK_WP_CONFIG": CONFIG_NAME})
        common.run([program("php"), "-d", "display_errors=stderr", "-d", "error_reporting=E_ALL & ~E_DEPRECATED",
                    os.path.join(WP_SOURCE, "wp.php"), command, path], self.log, env=env)

    def dump(self):
        path = os.path.join(self.work, "held.json")
        self.php("dump", path)
        held = common.read_json(path)
        category = next(c for c in held["categories"] if c["name"] == "料理")
        newest = held["entries"][0]
        return {
            "generator": "WordPress %s (%s, %s)" % (held["version"], held["theme"], held["locale"]),
            "entries": held["entries"],
            "categories": [{"name": c["name"], "url": c["url"]} for c in held["categories"] if c["count"]
                           or c["name"] in {t["name"] for t in self.truth["categories"]}],
            "pages": {"top": held["home"], "list-2": held["list_2"], "entry": newest["url"],
                      "category": category["url"], "category-2": category["page_2"]},
        }

    def start(self):
        os.chmod(self.work, 0o755)
        os.chmod(os.path.dirname(self.work), 0o755)
        self.port = common.free_port()
        self.base_url = "http://127.0.0.1:%d" % self.port
        self.top = self.base_url + "/"
        self.start_database()
        self.write_site_settings()
        add_debian_config()
        self.configured = True
        truth = self.truth
        settings = {"title": truth["title"], "description": truth["description"], "language": "ja",
                    "timezone": truth["timezone"], "per_page": truth["per_page"],
                    "permalink_structure": "/%year%/%monthnum%/%day%/%postname%/",
                    "categories": truth["categories"], "theme": self.theme}
        path = os.path.join(self.work, "settings.json")
        common.write_json(path, settings)
        self.php("install", path)
        path = os.path.join(self.work, "entries.json")
        common.write_json(path, truth["entries"])
        self.php("add", path)
        self.start_apache()
        return self.dump()

    def add_new(self):
        path = os.path.join(self.work, "new-entries.json")
        common.write_json(path, self.truth["new_entries"])
        self.php("add", path)
        return self.dump()

    def stop(self):
        super().stop()
        if self.configured:
            self.configured = False
            remove_debian_config()
