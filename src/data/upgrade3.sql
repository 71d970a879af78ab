-- Version 3: held sales, the login session of every sale summary, and the link from a
-- returned line to the sold line it gives back. Safe to run on a file that has them.

-- Sales put on hold: one row per held cart with its short number, operator and time,
-- and the cart's lines as they were, in entry order.
CREATE TABLE IF NOT EXISTS held (
  "id" INTEGER PRIMARY KEY AUTOINCREMENT,
  "no" INTEGER,
  "operator" VARCHAR(50) COLLATE NOCASE,
  "time" DATETIME
);

CREATE TABLE IF NOT EXISTS held_lines (
  "id" INTEGER PRIMARY KEY AUTOINCREMENT,
  "held" INTEGER,
  "a" VARCHAR(255) COLLATE NOCASE,
  "b" VARCHAR(255) COLLATE NOCASE,
  "c" VARCHAR(255) COLLATE NOCASE,
  "d" VARCHAR(20) COLLATE NOCASE,
  "e" VARCHAR(255) COLLATE NOCASE,
  "f" VARCHAR(255) COLLATE NOCASE,
  "g" VARCHAR(20) COLLATE NOCASE,
  "h" VARCHAR(20) COLLATE NOCASE,
  "i" VARCHAR(20) COLLATE NOCASE,
  "z" VARCHAR(20) COLLATE NOCASE,
  "1" DOUBLE,
  "2" DOUBLE,
  "3" DOUBLE,
  "4" DOUBLE,
  "5" DOUBLE,
  "6" DOUBLE,
  "7" DOUBLE,
  "8" DOUBLE,
  "9" DOUBLE,
  "day1" DATE,
  "day6" DATE
);

CREATE INDEX IF NOT EXISTS held_lines_held ON held_lines ("held");
-- data1.a5 holds, on a returned line, the ID of the sold line it gives back.
CREATE INDEX IF NOT EXISTS data1_returned ON data1 ("a5");
