"""Runs Pelican with the settings file given and prints, as JSON, what Pelican
itself holds: each article's URL, title, date in Japan time and category, each
category's first page, and the address of the second page of each list.

    /usr/bin/python3 build.py SETTINGS OUTPUT.json
"""
import json
import sys

from pelican import Pelican, signals
from pelican.settings import read_settings

held = {}


def articles_done(generator):
    held["articles"] = list(generator.articles)
    held["categories"] = [category for category, _ in generator.categories]


def main():
    signals.article_generator_finalized.connect(articles_done)
    settings = read_settings(sys.argv[1])
    Pelican(settings).run()
    site = settings["SITEURL"] + "/"
    entries = [{
        "slug": article.slug,
        "url": site + article.url,
        "title": article.title,
        "date": article.date.strftime("%Y-%m-%d %H:%M"),
        "categories": [article.category.name],
    } for article in held["articles"]]
    categories = [{"name": category.name, "url": site + category.url} for category in held["categories"]]
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        json.dump({"entries": entries, "categories": categories}, out, ensure_ascii=False)


if __name__ == "__main__":
    main()
