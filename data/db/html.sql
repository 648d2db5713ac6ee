-- The blank generation database handed to template programs.
CREATE TABLE entries (id INTEGER, url TEXT, タイトル TEXT, 日付 REAL, コメント TEXT);
CREATE INDEX entries_id ON entries (id);
CREATE TABLE entries_categories (entry_id INTEGER, category_id INTEGER);
CREATE INDEX entries_categories_entry ON entries_categories (entry_id);
CREATE INDEX entries_categories_category ON entries_categories (category_id);
CREATE TABLE categories (id INTEGER, name TEXT, url TEXT);
CREATE TABLE html (name TEXT, data TEXT);
