-- The blank project database, schema version 2.
-- url columns compare without regard to case and are indexed for the joins.
CREATE TABLE config (name TEXT, data TEXT);
CREATE TABLE entries (id INTEGER PRIMARY KEY, url TEXT COLLATE NOCASE, タイトル TEXT, 日付 REAL);
CREATE INDEX entries_url ON entries (url);
CREATE TABLE tmp_entries (id INTEGER PRIMARY KEY, url TEXT COLLATE NOCASE, タイトル TEXT, 日付 REAL);
CREATE TABLE categories (id INTEGER, name TEXT, url TEXT COLLATE NOCASE);
CREATE TABLE categories_entry (category_id INTEGER, url TEXT COLLATE NOCASE);
CREATE INDEX categories_entry_url ON categories_entry (url, category_id);
CREATE TABLE comments (url TEXT COLLATE NOCASE, comment TEXT);
CREATE INDEX comments_url ON comments (url);
CREATE TABLE html (name TEXT, data TEXT);
INSERT INTO config (name, data) VALUES ('version', '2');
