-- Firefox's two tables, with its roots, tags, a separator, a query and a loop of parents.
PRAGMA journal_mode=WAL;
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,
  rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,
  typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL,
  last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL,
  url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,
  parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,
  dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0,
  syncChangeCounter INTEGER NOT NULL DEFAULT 1);
INSERT INTO moz_places (id, url, title) VALUES (1, 'https://menu.example/', 'Page title'),
  (2, 'https://sub.example/', NULL), (3, 'place:sort=14&type=6', NULL),
  (4, 'https://other.example/', NULL), (5, 'https://phone.example/', NULL);
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, guid) VALUES
  (1, 2, NULL, 0, 0, '', 0, 'root________'),
  (2, 2, NULL, 12, 0, 'menu', 0, 'menu________'),
  (3, 2, NULL, 1, 1, 'toolbar', 0, 'toolbar_____'),
  (4, 2, NULL, 1, 2, 'tags', 0, 'tags________'),
  (5, 2, NULL, 1, 3, 'unfiled', 0, 'unfiled_____'),
  (6, 2, NULL, 1, 4, 'mobile', 0, 'mobile______'),
  (10, 1, 1, 2, 0, 'Menu item', 1650000000000000, 'a'),
  (11, 3, NULL, 2, 1, NULL, 0, 'b'),
  (12, 2, NULL, 2, 2, 'Sub', 0, 'c'),
  (13, 1, 2, 12, 0, NULL, 0, 'd'),
  (14, 1, 3, 3, 0, 'Most visited', 0, 'e'),
  (15, 2, NULL, 4, 0, 'news', 0, 'f'),
  (16, 1, 1, 15, 0, NULL, 0, 'g'),
  (17, 1, 4, 5, 0, 'Other', 0, 'h'),
  (18, 1, 5, 6, 0, 'Phone', 0, 'i');
